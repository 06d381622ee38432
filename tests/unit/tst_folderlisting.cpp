#include "platform/folderlisting.h"
#include "tests/support/testfolder.h"

#include <QtTest>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// One character per byte, so that a failure shows every byte of the names.
QStringList names(const std::vector<std::string>& list)
{
    QStringList result;
    for (const std::string& name : list)
        result << QString::fromLatin1(name.c_str());
    return result;
}

} // namespace

class TestFolderListing : public QObject
{
    Q_OBJECT

private slots:
    void missingEmptyOrNoFolderYieldsNothing();
    void matchingEntriesInTheFileSystemsOrder();
};

void TestFolderListing::missingEmptyOrNoFolderYieldsNothing()
{
    TestFolder folder;
    QVERIFY(listFolder("dat", ".dat").empty());
    QVERIFY(QDir().mkdir("dat"));
    QVERIFY(listFolder("dat", ".dat").empty());
    QVERIFY(std::ofstream("dat/readme.txt") && std::ofstream("notafolder.dat"));
    QVERIFY(listFolder("dat", ".dat").empty());
    QVERIFY(listFolder("notafolder.dat", ".dat").empty());
}

// Letter case is ignored, the entry kind is not looked at, a name's bytes are kept (the
// standard streams pass them on unchanged), and nothing is sorted.
void TestFolderListing::matchingEntriesInTheFileSystemsOrder()
{
    TestFolder folder;
    QVERIFY(QDir().mkpath("dat/x.dat") && QDir().mkpath("dat/sub"));
    std::vector<std::string> matching = {"x.dat",        "head.dat",         "HEAD.DAT",
                                         "Mixed.DaT",    "a.b.dat",          ".dat",
                                         "k\xf6pfe.dat", "k\xc3\xb6pfe.dat", "tab\there \x7f.DAT"};
    // Enough names that the file system's order is unlikely to be the sorted one.
    for (int i = 0; i < 40; ++i)
        matching.push_back(std::string(1, char('a' + i % 26)) + std::to_string(i) + ".dat");
    for (const std::string& name : matching)
        QVERIFY(name == "x.dat" || std::ofstream("dat/" + name));
    for (const char* name : {"head.dat.txt", "headdat", "head.da", "dat", "head.data", "at"})
        QVERIFY(std::ofstream(std::string("dat/") + name));

    std::vector<std::string> expected; // the matching names as readdir yields them
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("dat"), closedir);
    QVERIFY(dir);
    while (const dirent* entry = readdir(dir.get()))
        if (std::count(matching.begin(), matching.end(), entry->d_name) == 1)
            expected.push_back(entry->d_name);
    QCOMPARE(expected.size(), matching.size());
    QCOMPARE(names(listFolder("dat", ".dat")), names(expected));
}

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"

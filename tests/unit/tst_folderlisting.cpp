#include "platform/folderlisting.h"
#include "tests/support/testfolder.h"

#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Names are made with the system calls so that arbitrary bytes reach the
// file system unchanged (the toolkit would re-encode them).
void makeFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.c_str());
    close(fd);
}

void makeFolder(const std::string& path)
{
    QVERIFY2(mkdir(path.c_str(), 0755) == 0, path.c_str());
}

// Every entry of `folder` except "." and "..", in the order readdir yields them.
std::vector<std::string> readdirOrder(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    return names;
}

// Latin-1 keeps every byte as one character, so failures show the names.
QStringList names(const std::vector<std::string>& list)
{
    QStringList result;
    for (const std::string& name : list)
        result << QString::fromLatin1(name.data(), int(name.size()));
    return result;
}

} // namespace

class TestFolderListing : public QObject
{
    Q_OBJECT

private slots:
    void missingOrEmptyFolderYieldsNothing();
    void matchesExtensionIgnoringCase();
    void keepsTheFileSystemsOrder();
    void keepsTheBytesOfTheNames();
};

void TestFolderListing::missingOrEmptyFolderYieldsNothing()
{
    TestFolder folder;
    QVERIFY(listFolder("dat", ".dat").empty());
    makeFolder("dat");
    QVERIFY(listFolder("dat", ".dat").empty());
    makeFile("dat/readme.txt");
    QVERIFY(listFolder("dat", ".dat").empty());
    // A plain file where the folder should be is not a listing either.
    makeFile("notafolder.dat");
    QVERIFY(listFolder("notafolder.dat", ".dat").empty());
}

void TestFolderListing::matchesExtensionIgnoringCase()
{
    TestFolder folder;
    makeFolder("dat");
    const std::vector<std::string> matching = {"head.dat", "HEAD.DAT", "Mixed.DaT", "a.b.dat",
                                               ".dat"};
    const std::vector<std::string> other = {"head.dat.txt", "headdat",   "head.da",
                                            "dat",          "head.data", "at"};
    for (const std::string& name : matching)
        makeFile("dat/" + name);
    for (const std::string& name : other)
        makeFile("dat/" + name);
    // The entry kind plays no part: a folder with a matching name is listed.
    makeFolder("dat/x.dat");
    makeFolder("dat/sub");

    std::vector<std::string> listed = listFolder("dat", ".dat");
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = matching;
    expected.push_back("x.dat");
    std::sort(expected.begin(), expected.end());
    QCOMPARE(names(listed), names(expected));
}

void TestFolderListing::keepsTheFileSystemsOrder()
{
    TestFolder folder;
    makeFolder("dat");
    // Enough names that the file system's order is unlikely to be the sorted one.
    for (int i = 0; i < 40; ++i)
        makeFile("dat/" + std::string(1, char('a' + i % 26)) + std::to_string(i) + ".dat");
    makeFile("dat/b.dat");
    makeFile("dat/a.dat");
    makeFile("dat/ignored.raw");

    std::vector<std::string> expected;
    for (const std::string& name : readdirOrder("dat"))
        if (name != "ignored.raw")
            expected.push_back(name);
    QCOMPARE(int(expected.size()), 42);
    QCOMPARE(names(listFolder("dat", ".dat")), names(expected));
}

void TestFolderListing::keepsTheBytesOfTheNames()
{
    TestFolder folder;
    makeFolder("dat");
    const std::string latin1 = "k\xf6pfe.dat";        // ö as one Latin-1 byte
    const std::string utf8 = "k\xc3\xb6pfe.dat";      // ö as two UTF-8 bytes
    const std::string control = "tab\there \x7f.DAT"; // bytes a shell would quote
    makeFile("dat/" + latin1);
    makeFile("dat/" + utf8);
    makeFile("dat/" + control);

    std::vector<std::string> listed = listFolder("dat", ".dat");
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = {latin1, utf8, control};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(names(listed), names(expected));
}

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"

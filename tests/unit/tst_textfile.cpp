// Reading shader text.

#include "render/textfile.h"
#include "tests/support/testfolder.h"

#include <QtTest>

#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace {
using Text = std::unique_ptr<char, decltype(&std::free)>;
Text read(const std::string& path)
{
    return Text(readTextFile(path.c_str()), &std::free);
}
} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void readsTheTextWithOneByteLineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("void main()\n{\n}\n")
                               << QByteArray("void main()\n{\n}\n");
        // The terminator follows the last byte kept; lone carriage returns stay.
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n\r\nc\rd\r") << QByteArray("a\nb\n\nc\rd\r");
    }

    void readsTheTextWithOneByteLineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, text);
        TestFolder folder;
        folder.write("a.frag", bytes);
        const Text result = read("a.frag");
        QVERIFY(result);
        QCOMPARE(QByteArray(result.get()), text);
    }

    void unusableFilesGiveNull()
    {
        TestFolder folder;
        folder.write("empty.frag", QByteArray());
        QVERIFY(mkdir("folder.frag", 0755) == 0);
        QVERIFY(mkfifo("pipe.frag", 0644) == 0); // would wait for a writer for ever
        QVERIFY(!read("pipe.frag"));
        QVERIFY(!read("empty.frag"));
        QVERIFY(!read("missing.frag"));
        QVERIFY(!read("folder.frag"));
    }

    void binaryBytesArriveUpToTheirFirstNul()
    {
        TestFolder folder;
        folder.write("garbage.frag", QByteArray("\x01\xff\x7f", 3) + QByteArray(1, '\0') + "x");
        const Text text = read("garbage.frag");
        QVERIFY(text);
        QCOMPARE(QByteArray(text.get()), QByteArray("\x01\xff\x7f"));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"

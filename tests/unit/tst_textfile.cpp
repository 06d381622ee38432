// Reading shader text: line ends, binary bytes, and files that are no text.

#include "render/textfile.h"
#include "tests/support/testfolder.h"

#include <QtTest>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the file's bytes; "folder" and "pipe" make those
        QTest::addColumn<QByteArray>("text");  // null: no text
        QTest::newRow("plain") << QByteArray("void main()\n{\n}\n") << QByteArray("void main()\n{\n}\n");
        // The terminator follows the last byte kept; lone carriage returns stay.
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n\r\nc\rd\r") << QByteArray("a\nb\n\nc\rd\r");
        QTest::newRow("binary, up to its first nul")
            << QByteArray("\x01\xff\x7f\0x", 5) << QByteArray("\x01\xff\x7f");
        QTest::newRow("empty") << QByteArray("") << QByteArray();
        QTest::newRow("folder") << QByteArray("folder") << QByteArray();
        QTest::newRow("named pipe") << QByteArray("pipe") << QByteArray(); // would wait for ever
        QTest::newRow("missing") << QByteArray("missing") << QByteArray();
    }

    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, text);
        TestFolder folder;
        if (bytes == "folder")
            QCOMPARE(mkdir("a.frag", 0755), 0);
        else if (bytes == "pipe")
            QCOMPARE(mkfifo("a.frag", 0644), 0);
        else if (bytes != "missing")
            folder.write("a.frag", bytes);
        const std::unique_ptr<char, decltype(&std::free)> result(readTextFile("a.frag"), &std::free);
        QCOMPARE(QByteArray(result.get()), text);
        QCOMPARE(!result, text.isNull());
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"

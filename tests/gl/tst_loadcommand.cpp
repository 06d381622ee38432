#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/samplevolumes.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// File names as the file system holds them: one Latin-1 byte, and the same
// letter as two UTF-8 bytes.
const std::string kLatin1Name = "k\xf6pfe.dat";
const std::string kUtf8Name = "k\xc3\xb6pfe.dat";

// A volume whose histogram tells it apart: `count` samples of `value`, the
// rest 0.
SampleVolume markedVolume(int width, int height, int depth, uint16_t value, int count)
{
    SampleVolume volume(width, height, depth);
    for (int i = 0; i < count; ++i)
        volume.samples[size_t(i)] = value;
    return volume;
}

// The loader's lines for a successful load of a volume of `depth` slices.
std::string loaderLines(const std::string& path, int depth)
{
    std::string text = "- Loading file '" + path + "' ... \n- File loaded.\n";
    for (int z = 0; z < depth; ++z)
        text += "\r- Preparing data (" + std::to_string(depth > 1 ? 100 * z / (depth - 1) : 100) +
                "%) ...";
    return text + "\n- Data prepared.\n";
}

ControlPoint point(int x, int y)
{
    ControlPoint p;
    p.x = x;
    p.y = y;
    return p;
}

} // namespace

class TestLoadCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noSelectionDoesNothing();
    void loadHandsTheHistogramOver();
    void secondLoadKeepsTheAddress();
    void failedLoadKeepsTheVolume();
    void namesReachThePathByteForByte();

private:
    // Selects the row by a click on its item and presses "Datei Laden";
    // returns what the load printed.
    std::pair<std::string, std::string> loadRow(int row);
    int rowOf(const std::string& name) const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MainWindow> m_window;
};

void TestLoadCommand::init()
{
    m_folder.reset(new TestFolder(TestFolder::WithShaders));
    QVERIFY(mkdir("dat", 0755) == 0);
    QVERIFY(writeVolumeFile("dat/head.dat", markedVolume(8, 6, 4, 700, 5)));
    QVERIFY(writeVolumeFile("dat/engine.dat", markedVolume(5, 7, 9, 3000, 11)));
    QVERIFY(writeVolumeFile("dat/gone.dat", markedVolume(2, 2, 2, 1, 1)));
    QVERIFY(writeVolumeFile("dat/" + kLatin1Name, markedVolume(3, 3, 3, 4095, 2)));
    QVERIFY(writeVolumeFile("dat/" + kUtf8Name, markedVolume(4, 3, 2, 2048, 3)));
    QVERIFY(mkdir("dat/x.dat", 0755) == 0);

    // The GL must be initialised, as when the user presses the button.
    {
        ConsoleCapture console;
        m_window.reset(new MainWindow);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    QCOMPARE(m_window->m_listwidget_fileList->count(), 6);
    // Listed, then gone before the load.
    QVERIFY(unlink("dat/gone.dat") == 0);
}

void TestLoadCommand::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

int TestLoadCommand::rowOf(const std::string& name) const
{
    const QString text = QString::fromLatin1(name.data(), int(name.size()));
    const QListWidget* list = m_window->m_listwidget_fileList;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->text() == text)
            return row;
    return -1;
}

std::pair<std::string, std::string> TestLoadCommand::loadRow(int row)
{
    QListWidget* list = m_window->m_listwidget_fileList;
    if (row >= 0) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    ConsoleCapture console;
    QTest::mouseClick(m_window->m_button_fileLoad, Qt::LeftButton);
    return {console.out(), console.err()};
}

void TestLoadCommand::noSelectionDoesNothing()
{
    m_window->m_graphic_view->m_controlPoints = {point(10, 20)};
    const auto printed = loadRow(-1);
    QCOMPARE(QString::fromStdString(printed.first), QString());
    QCOMPARE(QString::fromStdString(printed.second), QString());
    QVERIFY(!m_window->m_graphic_view->m_histogram);
    QCOMPARE(m_window->m_graphic_view->m_controlPoints.size(), size_t(1));
    QCOMPARE(m_window->m_glWidget->volume().width, 1);

    // A current row that is not selected is no selection either.
    m_window->m_listwidget_fileList->setCurrentRow(rowOf("head.dat"),
                                                   QItemSelectionModel::Deselect);
    QVERIFY(m_window->m_listwidget_fileList->selectedItems().isEmpty());
    QCOMPARE(QString::fromStdString(loadRow(-1).first), QString());
    QVERIFY(!m_window->m_graphic_view->m_histogram);
}

void TestLoadCommand::loadHandsTheHistogramOver()
{
    Histogram* histogram = m_window->m_graphic_view;
    const GLWidget* view = m_window->m_glWidget;
    histogram->m_controlPoints = {point(10, 20), point(30, 5)};

    const int row = rowOf("head.dat");
    QVERIFY(row >= 0);
    const auto printed = loadRow(row);
    QVERIFY2(printed.first.rfind(loaderLines("dat/head.dat", 4), 0) == 0, printed.first.c_str());
    QCOMPARE(QString::fromStdString(printed.second), QString());

    QCOMPARE(view->volume().width, 8);
    QCOMPARE(view->volume().height, 6);
    QCOMPARE(view->volume().depth, 4);
    QCOMPARE(histogram->m_histogram, view->volume().histogram.data());
    QCOMPARE(histogram->m_histogram[700], 5);
    QCOMPARE(histogram->m_histogram[0], 8 * 6 * 4 - 5);
    QVERIFY(histogram->m_controlPoints.empty());
    QCOMPARE(histogram->m_renderer, m_window->m_glWidget);

    // The load leaves the controls as they were.
    QCOMPARE(m_window->m_Slices->maximum(), 99);
    QCOMPARE(m_window->m_min_density->value(), 0);
    QCOMPARE(m_window->m_max_density->value(), 4095);
    QVERIFY(m_window->m_radiobutton_x_axis->isChecked());
}

void TestLoadCommand::secondLoadKeepsTheAddress()
{
    Histogram* histogram = m_window->m_graphic_view;
    const GLWidget* view = m_window->m_glWidget;
    loadRow(rowOf("head.dat"));
    const int32_t* first = histogram->m_histogram;
    QVERIFY(first);

    histogram->m_controlPoints = {point(1, 2)};
    const auto printed = loadRow(rowOf("engine.dat"));
    QVERIFY2(printed.first.rfind(loaderLines("dat/engine.dat", 9), 0) == 0, printed.first.c_str());
    QCOMPARE(histogram->m_histogram, first);
    QCOMPARE(view->volume().depth, 9);
    QCOMPARE(first[3000], 11);
    QCOMPARE(first[700], 0);
    QVERIFY(histogram->m_controlPoints.empty());

    // The same file again: the same counts at the same address.
    histogram->m_controlPoints = {point(3, 4)};
    loadRow(-1); // engine.dat is still selected
    QCOMPARE(histogram->m_histogram, first);
    QCOMPARE(first[3000], 11);
    QVERIFY(histogram->m_controlPoints.empty());
}

// A listed folder and a file gone since the listing: the loader reports the
// failure, the previous volume stays, and the rest of the command runs.
void TestLoadCommand::failedLoadKeepsTheVolume()
{
    Histogram* histogram = m_window->m_graphic_view;
    const GLWidget* view = m_window->m_glWidget;
    loadRow(rowOf("engine.dat"));
    const int32_t* counts = histogram->m_histogram;

    for (const char* name : {"x.dat", "gone.dat"}) {
        histogram->m_controlPoints = {point(7, 8)};
        const int row = rowOf(name);
        QVERIFY2(row >= 0, name);
        const auto printed = loadRow(row);
        const std::string path = std::string("dat/") + name;
        QVERIFY2(printed.first.rfind("- Loading file '" + path + "' ... \n", 0) == 0,
                 printed.first.c_str());
        QVERIFY2(printed.first.find("- File loaded.") == std::string::npos, printed.first.c_str());
        QCOMPARE(QString::fromStdString(printed.second), QString("+ Error loading file.\n\n"));

        QCOMPARE(view->volume().width, 5);
        QCOMPARE(view->volume().depth, 9);
        QCOMPARE(histogram->m_histogram, counts);
        QCOMPARE(counts[3000], 11);
        QVERIFY(histogram->m_controlPoints.empty());
    }
}

// Latin-1 and UTF-8 bytes in a name reach the loader's path unchanged, so
// both files open and load.
void TestLoadCommand::namesReachThePathByteForByte()
{
    const GLWidget* view = m_window->m_glWidget;

    auto printed = loadRow(rowOf(kLatin1Name));
    QVERIFY2(printed.first.rfind(loaderLines("dat/" + kLatin1Name, 3), 0) == 0,
             printed.first.c_str());
    QCOMPARE(QString::fromStdString(printed.second), QString());
    QCOMPARE(view->volume().width, 3);
    QCOMPARE(view->volume().histogram[4095], 2);

    printed = loadRow(rowOf(kUtf8Name));
    QVERIFY2(printed.first.rfind(loaderLines("dat/" + kUtf8Name, 2), 0) == 0,
             printed.first.c_str());
    QCOMPARE(QString::fromStdString(printed.second), QString());
    QCOMPARE(view->volume().width, 4);
    QCOMPARE(view->volume().histogram[2048], 3);
}

QTEST_MAIN(TestLoadCommand)
#include "tst_loadcommand.moc"

// Opening a scan through the converter in a child process (scanopener.h).

#include "app/scanopener.h"

#include "app/convertermessage.h"
#include "app/scanchooser.h"
#include "platform/console.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>

#include <ostream>

namespace {

int g_silenceLimitMs = 120000;

// A SIGTERM lets the converter end its own child and remove what it began;
// one that does not stop within this long is killed.
constexpr int kTerminateMs = 5000;

// The converter's stages, as the progress dialog says them.
QString stageText(const QString& stage)
{
    if (stage == "Measuring")
        return QCoreApplication::translate("ScanOpener", "Werte messen");
    if (stage == "Reading")
        return QCoreApplication::translate("ScanOpener", "Lesen");
    if (stage == "Shrinking")
        return QCoreApplication::translate("ScanOpener", "Verkleinern");
    if (stage == "Resampling")
        return QCoreApplication::translate("ScanOpener", "Neu abtasten");
    if (stage == "Mapping")
        return QCoreApplication::translate("ScanOpener", "Werte abbilden");
    return stage;
}

// The voxel size the converter wrote, from its output line: "- Output: 256
// x 256 x 168 voxels of 0.957 x 0.957 x 0.957 mm, ..."; 0 each from any
// other line.
std::array<double, 3> writtenVoxelSize(const QString& line)
{
    static const QRegularExpression output(
        "^- Output: \\d+ x \\d+ x \\d+ voxels of ([0-9.e+]+) x ([0-9.e+]+) x ([0-9.e+]+) mm");
    const QRegularExpressionMatch match = output.match(line);
    std::array<double, 3> size{{0, 0, 0}};
    for (int axis = 0; axis < 3 && match.hasMatch(); ++axis)
        size[size_t(axis)] = match.captured(axis + 1).toDouble();
    return size;
}

} // namespace

ScanOpener::ScanOpener(QWidget* window) : QObject(window), m_window(window)
{
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        m_hung = true;
        m_process->terminate();
        QTimer::singleShot(kTerminateMs, m_process, &QProcess::kill);
    });
}

ScanOpener::~ScanOpener()
{
    if (m_process) { // the window closes during a conversion: end it
        m_process->disconnect(this);
        m_process->terminate();
        if (!m_process->waitForFinished(kTerminateMs))
            m_process->kill();
        m_process->waitForFinished(kTerminateMs);
    }
}

QString ScanOpener::converter()
{
    const QString named = qEnvironmentVariable("KASTRA_CONVERT");
    if (!named.isEmpty())
        return named;
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {here.filePath("kastra-convert"), here.filePath("../convert/kastra-convert")})
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).absoluteFilePath();
    return "kastra-convert";
}

void ScanOpener::setSilenceLimit(int milliseconds)
{
    g_silenceLimitMs = milliseconds;
}

void ScanOpener::open(const QString& scan)
{
    if (busy())
        return;
    m_scan = QFileInfo(scan).absoluteFilePath();
    // A scan of one volume converts without options: kept, it needs no
    // listing either.
    const QString plain = m_cache.volumeFor(m_scan, {});
    if (m_cache.take(plain))
        return emit opened(plain, m_scan, {}, m_cache.kind(plain), {});
    list({}, {});
}

void ScanOpener::openAs(const QString& scan, QStringList options, const QString& choice, bool ct)
{
    if (busy())
        return;
    m_scan = scan;
    // Read against the converter's decision, a scan has the option; read
    // back as it decides, none, so that its first volume is found again.
    const bool forced = options.removeAll("--ct") + options.removeAll("--no-ct") > 0;
    if (!forced)
        options << (ct ? "--ct" : "--no-ct");
    convert(options, choice);
}

QString ScanOpener::scanName() const
{
    return "'" + QFileInfo(m_scan).fileName() + "'";
}

void ScanOpener::list(const QStringList& chosen, const QString& choice)
{
    run(QStringList{m_scan, "--list", "--codes"} + chosen, tr("%1 wird gelesen …").arg(scanName()),
        [this, chosen, choice](const QByteArray& json) { listed(json, chosen, choice); });
}

void ScanOpener::listed(const QByteArray& json, const QStringList& chosen, const QString& choice)
{
    const QJsonObject listing = QJsonDocument::fromJson(json).object();
    const QJsonArray series = listing.value("series").toArray();
    const QJsonArray volumes = listing.value("volumes").toArray();
    if (listing.isEmpty())
        return fail(tr("kastra-convert beschreibt %1 nicht lesbar.").arg(scanName()));
    if (series.size() > 1 && !chosen.contains("--series")) {
        QStringList items;
        for (const QJsonValue& entry : series) {
            const QJsonObject one = entry.toObject();
            items << tr("%1  „%2“  %3, %4 Dateien")
                         .arg(one.value("uid").toString(), one.value("description").toString(),
                              one.value("modality").toString())
                         .arg(one.value("files").toInt());
        }
        return ask(
            tr("Serie wählen"), tr("%1 enthält mehrere Serien:").arg(scanName()), items, {},
            [this, series](int index, const QStringList&) {
                const QJsonObject one = series[index].toObject();
                const QString description = one.value("description").toString();
                list({"--series", one.value("uid").toString()},
                     tr("Serie %1")
                         .arg(description.isEmpty() ? one.value("uid").toString() : description));
            });
    }
    if (volumes.size() > 1) {
        // Every volume, under one mapping, for the time row: first, where a
        // long list does not hide it, but volume 0 stays the one chosen.
        QStringList items{tr("Alle Volumen (Zeitachse)")};
        for (int v = 0; v < volumes.size(); ++v)
            items << tr("Volumen %1: %2")
                         .arg(v)
                         .arg(volumes[v].toObject().value("description").toString());
        const QString apart = listing.value("toldApartBy").toString();
        return ask(
            tr("Volumen wählen"),
            apart.isEmpty() ? tr("%1 enthält %2 Volumen:").arg(scanName()).arg(volumes.size())
                            : tr("%1 enthält %2 Volumen, unterschieden nach %3:")
                                  .arg(scanName())
                                  .arg(volumes.size())
                                  .arg(apart),
            items, listing,
            [this, chosen, choice](int index, const QStringList& ct) {
                const QString prefix = choice.isEmpty() ? "" : choice + ", ";
                if (index == 0)
                    return convert(chosen + QStringList{"--all-volumes"} + ct,
                                   prefix + tr("alle Volumen"));
                convert(chosen + QStringList{"--volume", QString::number(index - 1)} + ct,
                        prefix + tr("Volumen %1").arg(index - 1));
            },
            1);
    }
    // Nothing to choose: read as the converter decides ("Werte als CT (HU)
    // lesen" in the "Datei" menu reads it the other way).
    convert(chosen, choice);
}

void ScanOpener::ask(const QString& title, const QString& label, const QStringList& items,
                     const QJsonObject& listing, std::function<void(int, const QStringList&)> take,
                     int current)
{
    ScanChooser* dialog = new ScanChooser(title, label, items, m_window);
    dialog->choose(current);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QJsonValue decided = listing.value("ct");
    if (decided.isBool())
        dialog->offerCt(decided.toBool(), listing.value("ctReasonCode").toObject());
    // The converter's own decision needs no option, so that its volume is
    // the one an open without a choice finds in the cache.
    connect(dialog, &QDialog::accepted, this, [dialog, decided, take] {
        const bool ct = dialog->ctChecked();
        take(dialog->chosen(), !decided.isBool() || ct == decided.toBool()
                                   ? QStringList()
                                   : QStringList{ct ? "--ct" : "--no-ct"});
    });
    dialog->open();
}

void ScanOpener::convert(const QStringList& options, const QString& choice)
{
    const QString volume = m_cache.volumeFor(m_scan, options);
    if (m_cache.take(volume))
        return emit opened(volume, m_scan, choice, m_cache.kind(volume), options);
    QDir().mkpath(m_cache.folder());
    m_output = volume;
    run(QStringList{m_scan, volume, "--progress", "--codes"} + options,
        tr("%1 wird konvertiert …").arg(scanName()),
        [this, volume, choice, options](const QByteArray&) {
            m_cache.setKind(volume, m_kind);
            m_cache.trim(ScanCache::kLimitBytes, volume);
            emit opened(volume, m_scan, choice, m_kind, options);
        });
}

void ScanOpener::run(const QStringList& arguments, const QString& doing, Done done)
{
    m_done = std::move(done);
    m_stdout.clear();
    m_cancelled = m_hung = false;
    m_kind = {};
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &ScanOpener::readOutput);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &ScanOpener::finished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finished(-1, QProcess::CrashExit);
    });

    // Busy until the converter's first step; shown only when it takes a while.
    m_progress = new QProgressDialog(doing, tr("Abbrechen"), 0, 0, m_window);
    m_progress->setWindowTitle("Kastra");
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(400);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        m_cancelled = true;
        m_process->terminate();
        QTimer::singleShot(kTerminateMs, m_process, &QProcess::kill);
    });
    m_silence.start(g_silenceLimitMs);
    m_process->start(converter(), arguments);
}

// "progress STAGE PERCENT" lines move the dialog and the "reason JSON" line
// says why the values are read as they are; the converter's other lines go on
// to the console, where its own run would have printed them.
void ScanOpener::readOutput()
{
    m_silence.start(g_silenceLimitMs);
    m_stdout += m_process->readAllStandardOutput();
    if (m_stdout.startsWith('{'))
        return; // a listing, read whole at the end
    for (int end; (end = m_stdout.indexOf('\n')) >= 0; m_stdout.remove(0, end + 1)) {
        const QString line = QString::fromUtf8(m_stdout.left(end));
        const QStringList words = line.split(' ');
        if (words.size() == 3 && words[0] == "progress") {
            m_progress->setLabelText(
                tr("%1 wird konvertiert: %2").arg(scanName(), stageText(words[1])));
            m_progress->setRange(0, 100);
            m_progress->setValue(words[2].toInt());
        } else if (line.startsWith("reason {")) {
            m_kind.reason = QJsonDocument::fromJson(line.mid(7).toUtf8()).object();
        } else {
            m_kind.ct = m_kind.ct || line.startsWith("- Values: HU + 1024");
            if (m_kind.voxelSize[0] == 0)
                m_kind.voxelSize = writtenVoxelSize(line);
            m_kind.patientAxes =
                m_kind.patientAxes || line.startsWith("- Orientation: stored axes run towards");
            console::out() << line.toStdString() << std::endl;
        }
    }
}

void ScanOpener::finished(int exitCode, QProcess::ExitStatus status)
{
    m_silence.stop();
    QProcess* process = m_process;
    m_process = nullptr;
    process->deleteLater();
    // Hidden at once: until its deferred deletion, a window-modal dialog on
    // screen would keep the window from the user's next click.
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
    // The converter's English lines, and its refusal as a code line, which
    // the window says in its own words.
    QStringList lines = QString::fromUtf8(process->readAllStandardError()).trimmed().split('\n');
    QJsonObject refusal;
    for (auto line = lines.begin(); line != lines.end();)
        if (line->startsWith("refusal {")) {
            refusal = QJsonDocument::fromJson(line->mid(8).toUtf8()).object();
            line = lines.erase(line);
        } else {
            ++line;
        }
    const QString said = lines.join('\n').trimmed();
    const QString program = converter();
    if (m_cancelled || m_hung || status != QProcess::NormalExit || exitCode != 0) {
        // What the converter began and could not remove.
        QFile::remove(m_output + ".part");
        QDir(m_output + ".part").removeRecursively(); // of every volume
        if (!m_output.isEmpty() && exitCode != 0)
            QFile::remove(m_output);
    }
    m_output.clear();
    if (m_cancelled)
        return;
    if (exitCode == -1 && process->error() == QProcess::FailedToStart)
        return fail(tr("kastra-convert kann nicht gestartet werden (%1): installieren Sie es "
                       "neben Kastra, oder nennen Sie es in KASTRA_CONVERT.")
                        .arg(program));
    if (m_hung)
        return fail(tr("kastra-convert gab %1 s lang kein Zeichen und wurde beendet; %2 bleibt "
                       "ungeöffnet.")
                        .arg(g_silenceLimitMs / 1000)
                        .arg(scanName()));
    if (status != QProcess::NormalExit)
        return fail(tr("kastra-convert brach bei %1 unerwartet ab.").arg(scanName()));
    // The converter's one line says why; a refusal the window has no words
    // for (a newer converter's) as the converter said it.
    if (exitCode != 0 && knowsConverterMessage(refusal.value("code").toString()))
        return fail(converterMessageText(refusal));
    if (exitCode != 0)
        return fail(said.isEmpty() ? tr("kastra-convert lehnte %1 ab.").arg(scanName()) : said);
    m_done(m_stdout);
}

void ScanOpener::fail(const QString& why)
{
    QMessageBox* box = new QMessageBox(QMessageBox::Warning, "Kastra",
                                       tr("%1 kann nicht geöffnet werden.").arg(scanName()),
                                       QMessageBox::Ok, m_window);
    box->setInformativeText(why);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

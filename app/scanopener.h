#pragma once

#include "app/scancache.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

class QJsonObject;

#include <functional>

class QProgressDialog;
class QWidget;

// Opens a scan that is not a volume file through kastra-convert, run as a
// child process, so that no fault of the scan libraries can reach the
// program: lists what the scan holds and, where it holds several series or
// volumes, asks which to open and whether its values are CT (preset to the
// converter's decision); a scan of one volume opens at once, read as the
// converter decides. It converts the chosen volume into the cache
// (scancache.h) with a progress dialog whose Cancel ends the child, and
// hands over the volume file. A refusal, a converter that fails, hangs or is
// missing: one message, and nothing else changes. The window stays
// responsive throughout.
class ScanOpener : public QObject
{
    Q_OBJECT

public:
    explicit ScanOpener(QWidget* window);
    ~ScanOpener() override;

    // Opens `scan`; opened() follows once its volume is there. Ignored while
    // another scan is being opened.
    void open(const QString& scan);
    // Opens `scan`, converted with `options` and named by `choice` before,
    // again with its values read as CT or not (`ct`): with --ct or --no-ct
    // where that is not the converter's own decision, else without.
    void openAs(const QString& scan, QStringList options, const QString& choice, bool ct);
    bool busy() const { return m_process != nullptr; }

    ScanCache& cache() { return m_cache; }

    // The converter: $KASTRA_CONVERT, else kastra-convert beside the program
    // (installed) or in the build tree, else on the PATH.
    static QString converter();

    // How long the converter may go without a word (a progress step, a line,
    // its end) before it is taken for hung and ended: 120 s.
    static void setSilenceLimit(int milliseconds);

signals:
    // `volume` holds `scan`'s chosen volume; `choice` says which, where the
    // scan held several ("volume 2"), or is empty; `kind` what the converter
    // found it to be; `options` those it was converted with.
    void opened(const QString& volume, const QString& scan, const QString& choice,
                const ScanKind& kind, const QStringList& options);

private:
    using Done = std::function<void(const QByteArray& output)>;

    // Runs the converter with `arguments`, a progress dialog saying `doing`,
    // and `done` with its standard output when it succeeds.
    void run(const QStringList& arguments, const QString& doing, Done done);
    void readOutput();
    void finished(int exitCode, QProcess::ExitStatus status);
    // Lists the scan, with the options chosen so far, and goes on from what
    // it holds.
    void list(const QStringList& chosen, const QString& choice);
    void listed(const QByteArray& json, const QStringList& chosen, const QString& choice);
    // Asks which of `items` to take and, where `listing` says whether the
    // scan is CT, whether to read it so; `take` gets the item's index and the
    // options that change the converter's decision (--ct, --no-ct, or none).
    // `current` is the item chosen at the start.
    void ask(const QString& title, const QString& label, const QStringList& items,
             const QJsonObject& listing, std::function<void(int, const QStringList&)> take,
             int current = 0);
    void convert(const QStringList& options, const QString& choice);
    void fail(const QString& why);
    QString scanName() const;

    QWidget* m_window;
    ScanCache m_cache;
    QString m_scan;
    QString m_output; // the volume a conversion under way writes
    QProcess* m_process = nullptr;
    QProgressDialog* m_progress = nullptr;
    QTimer m_silence;
    Done m_done;
    QByteArray m_stdout;
    bool m_cancelled = false;
    bool m_hung = false;
    ScanKind m_kind;
};

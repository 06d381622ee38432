// The transfer-function menu (transfermenu.h).

#include "app/transfermenu.h"

#include "app/recentfiles.h"
#include "app/transfertarget.h"
#include "app/usersettings.h"
#include "tfeditor/transferfunctionfile.h"
#include "tfeditor/transferpresets.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace {

const char* const kFolderKey = "transferFunctionFolder";

QString lastFolder()
{
    return userSettings().value(kFolderKey).toString();
}

void rememberFolder(const QString& path)
{
    userSettings().setValue(kFolderKey, QFileInfo(path).absolutePath());
}

} // namespace

TransferMenu::TransferMenu(QMenu* menu, TransferTarget* target, QWidget* window)
    : QObject(window), m_target(target), m_window(window)
{
    bool ct = true;
    for (const TransferPreset& preset : transferPresets()) {
        if (ct && !preset.forCT)
            menu->addSeparator();
        ct = preset.forCT;
        connect(menu->addAction(QCoreApplication::translate("TransferPreset", preset.name)),
                &QAction::triggered, this, [this, &preset] {
                    m_target->applyTransferFunction(preset.make(m_target->densityHistogram()));
                });
    }
    menu->addSeparator();
    QAction* open = menu->addAction(tr("Ö&ffnen …"), this, &TransferMenu::chooseAndOpen);
    open->setShortcut(QKeySequence("Ctrl+Shift+O"));
    QMenu* recent = menu->addMenu(tr("&Zuletzt verwendet"));
    m_recent = new RecentFiles(recent, "recentTransferFunctions", this);
    connect(m_recent, &RecentFiles::chosen, this, &TransferMenu::open);
    QAction* save = menu->addAction(tr("&Speichern …"), this, &TransferMenu::save);
    save->setShortcut(QKeySequence::Save);
    menu->addAction(tr("Für &ParaView exportieren …"), this, &TransferMenu::exportForParaView);
}

void TransferMenu::open(const QString& path)
{
    TransferFunction function;
    QString fault;
    if (!readTransferFunction(path, function, fault))
        return refuse(tr("%1 kann nicht geöffnet werden."), path, fault);
    m_target->applyTransferFunction(function);
    m_recent->add(QFileInfo(path).absoluteFilePath());
}

void TransferMenu::chooseAndOpen()
{
    const QString path =
        QFileDialog::getOpenFileName(m_window, tr("Transferfunktion öffnen"), lastFolder(),
                                     filter(), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    rememberFolder(path);
    open(path);
}

void TransferMenu::save()
{
    const QString path = askFileToWrite(tr("Transferfunktion speichern"), filter());
    QString fault;
    if (path.isEmpty())
        return;
    if (!writeTransferFunction(path, m_target->transferFunction(), fault))
        return refuse(tr("%1 kann nicht gespeichert werden."), path, fault);
    m_recent->add(QFileInfo(path).absoluteFilePath());
}

void TransferMenu::exportForParaView()
{
    const QString path =
        askFileToWrite(tr("Für ParaView exportieren"), tr("ParaView-Presets (*.json)"));
    QString fault;
    if (!path.isEmpty() &&
        !writeParaViewPreset(path, m_target->transferFunction(),
                             "Kastra " + QFileInfo(path).completeBaseName(), fault))
        refuse(tr("%1 kann nicht exportiert werden."), path, fault);
}

QString TransferMenu::askFileToWrite(const QString& title, const QString& filter)
{
    QString path = QFileDialog::getSaveFileName(m_window, title, lastFolder(), filter, nullptr,
                                                QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".json";
    rememberFolder(path);
    return path;
}

QString TransferMenu::filter()
{
    return tr("Transferfunktionen (*.json)");
}

void TransferMenu::refuse(const QString& what, const QString& path, const QString& fault)
{
    QMessageBox* box =
        new QMessageBox(QMessageBox::Warning, "Kastra", what.arg(QFileInfo(path).fileName()),
                        QMessageBox::Ok, m_window);
    box->setInformativeText(fault);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

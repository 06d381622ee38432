// The transfer-function menu (transfermenu.h).

#include "app/transfermenu.h"

#include "app/recentfiles.h"
#include "app/transfertarget.h"
#include "app/usersettings.h"
#include "tfeditor/transferfunctionfile.h"
#include "tfeditor/transferpresets.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace {

const char* const kFilter = "Transferfunktionen (*.json)";
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
        connect(menu->addAction(preset.name), &QAction::triggered, this, [this, &preset] {
            m_target->applyTransferFunction(preset.make(m_target->densityHistogram()));
        });
    }
    menu->addSeparator();
    QAction* open = menu->addAction("Ö&ffnen …", this, &TransferMenu::chooseAndOpen);
    open->setShortcut(QKeySequence("Ctrl+Shift+O"));
    QMenu* recent = menu->addMenu("&Zuletzt verwendet");
    m_recent = new RecentFiles(recent, "recentTransferFunctions", this);
    connect(m_recent, &RecentFiles::chosen, this, &TransferMenu::open);
    QAction* save = menu->addAction("&Speichern …", this, &TransferMenu::save);
    save->setShortcut(QKeySequence::Save);
    menu->addAction("Für &ParaView exportieren …", this, &TransferMenu::exportForParaView);
}

void TransferMenu::open(const QString& path)
{
    TransferFunction function;
    QString fault;
    if (!readTransferFunction(path, function, fault))
        return refuse("kann nicht geöffnet werden", path, fault);
    m_target->applyTransferFunction(function);
    m_recent->add(QFileInfo(path).absoluteFilePath());
}

void TransferMenu::chooseAndOpen()
{
    const QString path =
        QFileDialog::getOpenFileName(m_window, "Transferfunktion öffnen", lastFolder(), kFilter,
                                     nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    rememberFolder(path);
    open(path);
}

void TransferMenu::save()
{
    const QString path = askFileToWrite("Transferfunktion speichern", kFilter);
    QString fault;
    if (path.isEmpty())
        return;
    if (!writeTransferFunction(path, m_target->transferFunction(), fault))
        return refuse("kann nicht gespeichert werden", path, fault);
    m_recent->add(QFileInfo(path).absoluteFilePath());
}

void TransferMenu::exportForParaView()
{
    const QString path = askFileToWrite("Für ParaView exportieren", "ParaView-Presets (*.json)");
    QString fault;
    if (!path.isEmpty() &&
        !writeParaViewPreset(path, m_target->transferFunction(),
                             "Kastra " + QFileInfo(path).completeBaseName(), fault))
        refuse("kann nicht exportiert werden", path, fault);
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

void TransferMenu::refuse(const QString& what, const QString& path, const QString& fault)
{
    QMessageBox* box =
        new QMessageBox(QMessageBox::Warning, "Kastra",
                        QFileInfo(path).fileName() + " " + what + ".", QMessageBox::Ok, m_window);
    box->setInformativeText(fault);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

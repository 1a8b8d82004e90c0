#include "common/SignedWarning.h"

#include "catalogue/PluginDetails.h"
#include "catalogue/PluginEntry.h"
#include "common/Convert.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QSet>
#include <QStringList>

namespace vardel::ui {

bool ConfirmSignedChange(QWidget* parent, const std::vector<const CPluginEntry*>& entries)
{
    // Several plug-ins of one file share its signature: name each file once.
    QStringList files;
    QSet<QString> seen;
    for (const CPluginEntry* entry : entries) {
        if (!entry)
            continue;
        const QString path = FromStoredPath(entry->m_path);
        if (seen.contains(path))
            continue;
        seen.insert(path);
        if (IsSignedPlugin(*entry))
            files << path;
    }
    if (files.isEmpty())
        return true;
    constexpr int kListed = 5;
    QString list = files.mid(0, kListed).join(QLatin1Char('\n'));
    if (files.size() > kListed)
        list += QCoreApplication::translate("SignedWarning", "\n... and %n more", nullptr,
                                            static_cast<int>(files.size() - kListed));
    const QString text = files.size() == 1
        ? QCoreApplication::translate("SignedWarning", "The file is signed; changing it breaks the signature.")
        : QCoreApplication::translate("SignedWarning", "These files are signed; changing them breaks their signatures.");
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("SignedWarning", "Signed plug-in"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("signedWarningBox"));
    box.setInformativeText(list + QCoreApplication::translate("SignedWarning", "\n\nChange it anyway?"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace vardel::ui

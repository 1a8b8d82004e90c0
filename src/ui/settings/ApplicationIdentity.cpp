#include "ui/settings/ApplicationIdentity.h"

#include "ui/settings/QtSettingsBackend.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace vardel::ui {

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplication));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0"));
    QGuiApplication::setApplicationDisplayName(QString::fromLatin1(kApplication));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vardel"));
}

}  // namespace vardel::ui

#include "ui/properties/DescriptionFields.h"

#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "search/DescriptionListManager.h"
#include "ui/common/Convert.h"
#include "search/DescriptionStore.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace vardel::ui {

bool loadDescriptionFields(CVardelSession& session, const CPluginEntry& entry, QPlainTextEdit* description,
                           QLineEdit* keywords)
{
    std::string text;
    std::string words;
    if (!session.Descriptions().Get(entry.DescriptionKey(), text, words))
        return false;
    if (description)
        description->setPlainText(fromCodePage(text));
    if (keywords)
        keywords->setText(fromCodePage(words));
    return true;
}

bool storeDescriptionFields(CVardelSession& session, const CPluginEntry& entry, const QPlainTextEdit* description,
                            const QLineEdit* keywords)
{
    const std::string text = description ? toCodePage(description->toPlainText()) : std::string();
    const std::string words = keywords ? toCodePage(keywords->text()) : std::string();
    const std::string key = entry.DescriptionKey();
    if (!StoreDescription(session.Descriptions(), key, text, words).changed)
        return false;
    session.SaveDescriptions();
    session.NotifyDescriptionChanged(key);
    return true;
}

}  // namespace vardel::ui

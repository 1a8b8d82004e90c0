#pragma once
// The description and keyword fields that two pages share: filled from the
// description database when a page opens, stored when the sheet is
// confirmed.

class QLineEdit;
class QPlainTextEdit;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

// Fills the fields with the plug-in's entry; leaves them empty when it has
// none. Returns whether an entry was found.
bool loadDescriptionFields(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                           QPlainTextEdit* description, QLineEdit* keywords);
// Stores both texts unless both are empty (then the entry stays as it was)
// and saves the database when anything changed. Returns whether the
// database changed.
bool storeDescriptionFields(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                            const QPlainTextEdit* description, const QLineEdit* keywords);

}  // namespace vardel::ui

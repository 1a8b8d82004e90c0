#include "search/FindSettings.h"

#include "base/SettingsBackend.h"
#include "base/SettingsKeys.h"

namespace vardel {

namespace {

void ReadFlag(SettingsBackend& backend, const char* name, bool& flag)
{
    if (auto v = backend.ReadInt(FindSettings::kSection, name))
        flag = *v != 0;
}

void ReadNumber(SettingsBackend& backend, const char* name, int& number)
{
    if (auto v = backend.ReadInt(FindSettings::kSection, name))
        number = *v;
}

}  // namespace

FindSettings LoadFindSettings(SettingsBackend& backend)
{
    FindSettings s;
    if (auto v = backend.ReadString(FindSettings::kSection, settings_keys::kFindKeyword))
        s.keyword = *v;
    ReadFlag(backend, settings_keys::kFindMatchCase, s.matchCase);
    ReadFlag(backend, settings_keys::kFindTitle, s.title);
    ReadFlag(backend, settings_keys::kFindCategory, s.category);
    ReadFlag(backend, settings_keys::kFindAuthor, s.author);
    ReadFlag(backend, settings_keys::kFindFilename, s.filename);
    ReadFlag(backend, settings_keys::kFindDescription, s.description);
    ReadFlag(backend, settings_keys::kFindKeywords, s.keywords);
    ReadNumber(backend, settings_keys::kFindTitleWidth, s.titleWidth);
    ReadNumber(backend, settings_keys::kFindCategoryWidth, s.categoryWidth);
    ReadNumber(backend, settings_keys::kFindFilenameWidth, s.filenameWidth);
    return s;
}

void SaveFindSettings(SettingsBackend& backend, const FindSettings& s)
{
    const char* section = FindSettings::kSection;
    backend.WriteString(section, settings_keys::kFindKeyword, s.keyword);
    backend.WriteInt(section, settings_keys::kFindMatchCase, s.matchCase ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindTitle, s.title ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindCategory, s.category ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindAuthor, s.author ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindFilename, s.filename ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindDescription, s.description ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindKeywords, s.keywords ? 1 : 0);
    backend.WriteInt(section, settings_keys::kFindTitleWidth, s.titleWidth);
    backend.WriteInt(section, settings_keys::kFindCategoryWidth, s.categoryWidth);
    backend.WriteInt(section, settings_keys::kFindFilenameWidth, s.filenameWidth);
}

}  // namespace vardel

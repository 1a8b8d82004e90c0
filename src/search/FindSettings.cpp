#include "search/FindSettings.h"

#include "base/SettingsBackend.h"

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
    if (auto v = backend.ReadString(FindSettings::kSection, "sKeyword"))
        s.keyword = *v;
    ReadFlag(backend, "bMatchCase", s.matchCase);
    ReadFlag(backend, "bName", s.title);
    ReadFlag(backend, "bCatg", s.category);
    ReadFlag(backend, "bAuthor", s.author);
    ReadFlag(backend, "bFilename", s.filename);
    ReadFlag(backend, "bDesc", s.description);
    ReadFlag(backend, "bKeywords", s.keywords);
    ReadNumber(backend, "Title.cx", s.titleWidth);
    ReadNumber(backend, "Category.cx", s.categoryWidth);
    ReadNumber(backend, "Filename.cx", s.filenameWidth);
    return s;
}

void SaveFindSettings(SettingsBackend& backend, const FindSettings& s)
{
    const char* section = FindSettings::kSection;
    backend.WriteString(section, "sKeyword", s.keyword);
    backend.WriteInt(section, "bMatchCase", s.matchCase ? 1 : 0);
    backend.WriteInt(section, "bName", s.title ? 1 : 0);
    backend.WriteInt(section, "bCatg", s.category ? 1 : 0);
    backend.WriteInt(section, "bAuthor", s.author ? 1 : 0);
    backend.WriteInt(section, "bFilename", s.filename ? 1 : 0);
    backend.WriteInt(section, "bDesc", s.description ? 1 : 0);
    backend.WriteInt(section, "bKeywords", s.keywords ? 1 : 0);
    backend.WriteInt(section, "Title.cx", s.titleWidth);
    backend.WriteInt(section, "Category.cx", s.categoryWidth);
    backend.WriteInt(section, "Filename.cx", s.filenameWidth);
}

}  // namespace vardel

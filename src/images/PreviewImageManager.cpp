#include "images/PreviewImageManager.h"

#include "base/FileOps.h"
#include "catalogue/PluginEntry.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "images/PreviewFile.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace vardel {

namespace {

unsigned char Fold(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return CPreviewImageManager::CompareNoCase(a, b) == 0;
}

}  // namespace

CPreviewImageManager::CPreviewImageManager(DataDirectory dataDir, MessageHandler onMessage)
    : m_dataDir(std::move(dataDir))
    , m_onMessage(std::move(onMessage))
{}

void CPreviewImageManager::SetDataDirectory(const DataDirectory& dataDir)
{
    m_dataDir = dataDir;
    m_loaded = nullptr;
    m_loadedBaseName.clear();
}

int CPreviewImageManager::CompareNoCase(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = Fold(static_cast<unsigned char>(a[i]));
        unsigned char cb = Fold(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool CPreviewImageManager::IsImageName(const std::string& name, const std::string& base)
{
    // Only this exact form: a wildcard base + "*.JPG" would also take the
    // images of a plug-in whose base name starts with this one (file title
    // "BLUR_00" gives 8BFM_BLUR_00_00 next to 8BFM_BLUR_00) and renumber
    // them into this plug-in's list.
    static const std::string kTail = ".JPG";
    if (name.size() != base.size() + 1 + 3 + kTail.size())
        return false;
    if (!EqualNoCase(name.substr(0, base.size()), base) || name[base.size()] != '_')
        return false;
    for (std::size_t i = base.size() + 1; i < base.size() + 4; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return EqualNoCase(name.substr(base.size() + 4), kTail);
}

std::string CPreviewImageManager::ImageName(const std::string& base, int n)
{
    char number[16];
    std::snprintf(number, sizeof number, "_%03d.JPG", n);
    return base + number;
}

std::filesystem::path CPreviewImageManager::ImagePath(const std::string& name) const
{
    return m_dataDir.ImagesDb() / name;
}

std::filesystem::path CPreviewImageManager::DisplayPath() const
{
    std::string name = GetCurrentName();
    return ImagePath(name.empty() ? kEmptyImageName : name);
}

void CPreviewImageManager::Report(const std::string& text) const
{
    if (m_onMessage)
        m_onMessage(text);
}

void CPreviewImageManager::Renumber(std::size_t first)
{
    for (std::size_t i = first; i < m_names.size(); ++i) {
        const std::string expected = ImageName(m_baseName, static_cast<int>(i));
        if (EqualNoCase(m_names[i], expected))
            continue;
        if (RenameNoReplace(ImagePath(m_names[i]), ImagePath(expected))) {
            Report(kWriteProtectedMessage);
            continue;
        }
        m_names[i] = expected;
    }
}

void CPreviewImageManager::SetPlugin(const CPluginEntry* plugin)
{
    std::string base = plugin ? plugin->ImageBaseName() : std::string();
    // A record at the address of the one loaded last may be a new record of a
    // reloaded catalogue: the base name must match as well.
    if (plugin && plugin == m_loaded && base == m_loadedBaseName)
        return;
    m_names.clear();
    m_current = -1;
    m_plugin = plugin;
    m_baseName = std::move(base);
    if (!plugin) {
        m_loaded = nullptr;
        m_loadedBaseName.clear();
        return;
    }
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_dataDir.ImagesDb(), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc))
            continue;
        std::string name = it->path().filename().string();
        if (IsImageName(name, m_baseName))
            m_names.push_back(std::move(name));
    }
    std::stable_sort(m_names.begin(), m_names.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    Renumber(0);
    if (!m_names.empty())
        m_current = 0;
    m_loaded = plugin;
    m_loadedBaseName = m_baseName;
}

std::string CPreviewImageManager::GetCurrentName() const
{
    if (!m_plugin || m_current < 0 || m_current >= GetCount())
        return {};
    return m_names[static_cast<std::size_t>(m_current)];
}

bool CPreviewImageManager::CanMove(int direction) const
{
    if (!m_plugin)
        return false;
    const int count = GetCount();
    switch (direction) {
    case kFirst: return count >= 2 && m_current > 0;
    case kPrevious: return m_current > 0;
    case kNext: return m_current < count - 1;
    case kLast: return count > 1 && m_current < count - 1;
    default: return false;
    }
}

void CPreviewImageManager::Move(int direction)
{
    if (!m_plugin)
        return;
    const int count = GetCount();
    switch (direction) {
    case kFirst: m_current = 0; break;
    case kPrevious:
        if (m_current > 0)
            --m_current;
        break;
    case kNext:
        if (m_current < count - 1)
            ++m_current;
        break;
    case kLast:
        if (count > 0)
            m_current = count - 1;
        break;
    default: break;
    }
}

bool CPreviewImageManager::AddImage(std::span<const std::uint8_t> packed)
{
    if (!m_plugin || GetCount() >= kMaxImages)
        return false;
    COXDIB source;
    if (!source.CreateFromPacked(packed) || source.GetBitCount() != 24)
        return false;
    COXDIB fitted;
    if (!MakeFittedCopy(source, fitted))
        return false;
    const int n = GetCount();
    const std::string name = ImageName(m_baseName, n);
    if (!SaveJpeg(ImagePath(name), fitted))
        return false;
    m_names.push_back(name);
    m_current = n;
    return true;
}

bool CPreviewImageManager::DeleteCurrent()
{
    if (m_current < 0 || m_current >= GetCount())
        return false;
    const std::size_t k = static_cast<std::size_t>(m_current);
    std::error_code ec;
    if (!std::filesystem::remove(ImagePath(m_names[k]), ec) || ec) {
        Report(m_names[k] + "\n" + kWriteProtectedMessage);
        return false;
    }
    m_names.erase(m_names.begin() + static_cast<std::ptrdiff_t>(k));
    Renumber(k);
    const int count = GetCount();
    m_current = m_current < count ? m_current : (count > 0 ? count - 1 : 0);
    return true;
}

}  // namespace vardel

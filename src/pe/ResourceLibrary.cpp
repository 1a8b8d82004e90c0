#include "pe/ResourceLibrary.h"

#include "pe/BlockFile.h"
#include "pe/PeImage.h"
#include "pe/ResourceFile.h"

#include <algorithm>

namespace vardel {

COXResourceLibrary::COXResourceLibrary() = default;

COXResourceLibrary::~COXResourceLibrary()
{
    Close();
}

bool COXResourceLibrary::Open(const std::string& fileName, std::uint32_t flags)
{
    Close();
    auto image = PeImage::Open(fileName, m_spare);
    if (!image)
        return false;
    m_module = std::move(image);
    m_fileName = fileName;
    m_flags = flags;
    return true;
}

void COXResourceLibrary::Close()
{
    // Detach every resource file; none is owned by the library here, since
    // resources are only ever opened by their callers.
    auto open = m_openResources;
    for (COXResourceFile* file : open) {
        file->m_library = nullptr;
        if (file->m_ownedByLibrary)
            delete file;
    }
    m_openResources.clear();
    PeImage::Recycle(std::move(m_module), m_spare);
    m_fileName.clear();
    m_flags = 0;
}

bool COXResourceLibrary::IsOpen() const
{
    return m_module != nullptr;
}

std::istream* COXResourceLibrary::GetFileStream() const
{
    return m_module ? &m_module->Stream() : nullptr;
}

bool COXResourceLibrary::GetFileBytes(std::span<const std::uint8_t>& bytes) const
{
    return m_module && m_module->Contents(bytes);
}

bool COXResourceLibrary::GetFileStat(OpenFileStat& stat) const
{
    if (!m_module)
        return false;
    stat = m_module->StatAtOpen();
    return true;
}

bool COXResourceLibrary::EnumNames(const std::string& type, std::vector<std::string>& names) const
{
    names.clear();
    if (!m_module)
        return false;
    const PeResourceType* found = m_module->FindType(type);
    if (!found || found->names.empty())
        return false;
    names.reserve(found->names.size());
    for (const auto& n : found->names)
        names.push_back(n.id.ToString());
    return true;
}

bool COXResourceLibrary::HasNames(const std::string& type) const
{
    const PeResourceType* found = m_module ? m_module->FindType(type) : nullptr;
    return found && !found->names.empty();
}

bool COXResourceLibrary::NameAt(const std::string& type, std::size_t index, std::string& name) const
{
    const PeResourceType* found = m_module ? m_module->FindType(type) : nullptr;
    if (!found || index >= found->names.size())
        return false;
    name = found->names[index].id.ToString();
    return true;
}

namespace {

// The leaf the Windows resource functions would pick; null when missing.
const PeResourceData* SelectLeaf(const PeImage* module, const std::string& type, const std::string& name,
                                 std::uint16_t language)
{
    if (!module)
        return nullptr;
    const PeResourceType* t = module->FindType(type);
    const PeResourceName* n = t ? module->FindName(*t, name) : nullptr;
    return n ? PeImage::SelectLanguage(*n, language) : nullptr;
}

}  // namespace

bool COXResourceLibrary::Find(const std::string& type, const std::string& name, std::uint16_t language,
                              std::vector<std::uint8_t>& data) const
{
    const PeResourceData* leaf = SelectLeaf(m_module.get(), type, name, language);
    return leaf && m_module->ReadData(*leaf, data);
}

bool COXResourceLibrary::FindView(const std::string& type, const std::string& name, std::uint16_t language,
                                  std::span<const std::uint8_t>& data) const
{
    const PeResourceData* leaf = SelectLeaf(m_module.get(), type, name, language);
    return leaf && m_module->ViewData(*leaf, data);
}

bool COXResourceLibrary::FindSpan(const std::string& type, const std::string& name, std::uint16_t language,
                                  std::uint64_t& offset, std::uint32_t& size) const
{
    const PeResourceData* leaf = SelectLeaf(m_module.get(), type, name, language);
    if (!leaf || !m_module->DataOffset(*leaf, offset))
        return false;
    size = leaf->size;
    return true;
}

void COXResourceLibrary::Attach(COXResourceFile* file)
{
    if (std::find(m_openResources.begin(), m_openResources.end(), file) == m_openResources.end())
        m_openResources.push_back(file);
}

void COXResourceLibrary::Detach(COXResourceFile* file)
{
    m_openResources.erase(std::remove(m_openResources.begin(), m_openResources.end(), file), m_openResources.end());
}

}  // namespace vardel

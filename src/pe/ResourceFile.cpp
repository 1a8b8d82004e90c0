#include "pe/ResourceFile.h"

#include "pe/PeImage.h"
#include "pe/ResourceLibrary.h"

#include <algorithm>
#include <cstring>

namespace vardel {

COXResourceFile::~COXResourceFile()
{
    Close();
}

bool COXResourceFile::Open(COXResourceLibrary& library, const std::string& type, const std::string& name,
                           std::uint16_t language)
{
    if (!m_data.empty() || m_library)
        return false;
    std::vector<std::uint8_t> bytes;
    if (!library.Find(type, name, language, bytes) || bytes.empty())
        return false;
    m_data = std::move(bytes);
    m_position = 0;
    m_type = NormaliseResourceName(type);
    m_name = NormaliseResourceName(name);
    m_language = language;
    m_library = &library;
    library.Attach(this);
    return true;
}

std::size_t COXResourceFile::Read(void* buffer, std::size_t count)
{
    if (m_position >= m_data.size())
        return 0;
    std::size_t n = std::min(count, m_data.size() - m_position);
    std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    return n;
}

void COXResourceFile::Seek(std::size_t position)
{
    m_position = position;
}

void COXResourceFile::Close()
{
    if (m_library)
        m_library->Detach(this);
    m_library = nullptr;
    m_data.clear();
    m_data.shrink_to_fit();
    m_position = 0;
    m_type.clear();
    m_name.clear();
    m_language = 0;
}

std::string COXResourceFile::NormaliseResourceName(const std::string& text)
{
    std::uint16_t number = 0;
    if (PeImage::ParseNumber(text, number))
        return text;
    std::string out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c == '\t' || c == '\n' || c == ' ')
            c = '_';
    }
    // Every leading "#" becomes "_".
    for (char& c : out) {
        if (c != '#')
            break;
        c = '_';
    }
    return out;
}

}  // namespace vardel

#include "base/Archive.h"

#include "base/CodePage.h"

namespace vardel {
namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;

// What a back-reference copy costs beyond its bytes, so that references to
// records with no stored bytes cannot be multiplied for free.
constexpr std::uint64_t kCopyOverhead = 64;

}  // namespace

const CRuntimeClass* FindClass(ClassRegistry registry, std::string_view name)
{
    for (const CRuntimeClass* cls : registry)
        if (name == cls->name)
            return cls;
    return nullptr;
}

CArchive::CArchive()
    : m_storing(true)
{}

CArchive::CArchive(std::span<const std::uint8_t> data, ClassRegistry registry)
    : m_storing(false)
    , m_in(data)
    , m_data(data)
    , m_registry(registry)
    , m_copyBudget(static_cast<std::uint64_t>(data.size()) + 65536)
{}

void CArchive::SetRunningIndexForTesting(std::uint32_t next)
{
    m_nextIndex = next;
    m_firstSlotIndex = next;
    m_slots.clear();
}

// ---- writing -------------------------------------------------------------

void CArchive::WriteByte(std::uint8_t v)
{
    m_out.push_back(v);
}

void CArchive::WriteWord(std::uint16_t v)
{
    m_out.push_back(static_cast<std::uint8_t>(v));
    m_out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void CArchive::WriteDword(std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        m_out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void CArchive::WriteQword(std::uint64_t v)
{
    WriteDword(static_cast<std::uint32_t>(v));
    WriteDword(static_cast<std::uint32_t>(v >> 32));
}

void CArchive::WriteBytes(std::span<const std::uint8_t> bytes)
{
    m_out.insert(m_out.end(), bytes.begin(), bytes.end());
}

void CArchive::WriteString(const std::string& s)
{
    const std::size_t n = s.size();
    if (n < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        // 0xFFFE itself would read as the wide-string marker.
        WriteByte(0xFF);
        WriteWord(static_cast<std::uint16_t>(n));
    } else {
        if (n > 0xFFFFFFFFu)
            throw ArchiveError("string too long for the archive");
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDword(static_cast<std::uint32_t>(n));
    }
    m_out.insert(m_out.end(), s.begin(), s.end());
}

void CArchive::WriteCount(std::uint32_t n)
{
    if (n < 0xFFFF) {
        WriteWord(static_cast<std::uint16_t>(n));
    } else {
        WriteWord(0xFFFF);
        WriteDword(n);
    }
}

std::uint32_t CArchive::TakeIndex()
{
    if (m_nextIndex > kMaxIndex)
        throw ArchiveBadIndex("too many objects in one archive");
    return m_nextIndex++;
}

void CArchive::WriteObject(const CObject* object)
{
    if (!object) {
        WriteWord(kNullTag);
        return;
    }
    if (auto it = m_writtenObjects.find(object); it != m_writtenObjects.end()) {
        if (it->second < kBigObjectTag) {
            WriteWord(static_cast<std::uint16_t>(it->second));
        } else {
            WriteWord(kBigObjectTag);
            WriteDword(it->second);
        }
        return;
    }
    const CRuntimeClass& cls = object->GetRuntimeClass();
    if (auto it = m_writtenClasses.find(&cls); it != m_writtenClasses.end()) {
        if (it->second < kBigObjectTag) {
            WriteWord(static_cast<std::uint16_t>(kClassTag | it->second));
        } else {
            WriteWord(kBigObjectTag);
            WriteDword(kBigClassTag | it->second);
        }
    } else {
        const std::string_view name = cls.name;
        WriteWord(kNewClassTag);
        WriteWord(cls.schema);
        WriteWord(static_cast<std::uint16_t>(name.size()));
        m_out.insert(m_out.end(), name.begin(), name.end());
        m_writtenClasses[&cls] = TakeIndex();
    }
    m_writtenObjects[object] = TakeIndex();
    // Serialize is not const, but a storing archive only reads the fields.
    const_cast<CObject*>(object)->Serialize(*this);
}

void CArchive::Exchange(int& v)
{
    if (IsStoring())
        WriteDword(static_cast<std::uint32_t>(v));
    else
        v = static_cast<int>(ReadDword());
}

void CArchive::Exchange(std::string& s)
{
    if (IsStoring())
        WriteString(s);
    else
        s = ReadString();
}

// ---- reading -------------------------------------------------------------

template <class F>
auto CArchive::Guarded(F&& read) -> decltype(read())
{
    try {
        return read();
    } catch (const ReadError&) {
        throw ArchiveEndOfFile();
    }
}

std::uint8_t CArchive::ReadByte()
{
    return Guarded([&] { return m_in.U8(); });
}
std::uint16_t CArchive::ReadWord()
{
    return Guarded([&] { return m_in.U16(); });
}
std::uint32_t CArchive::ReadDword()
{
    return Guarded([&] { return m_in.U32(); });
}

std::uint64_t CArchive::ReadQword()
{
    const std::uint64_t low = ReadDword();
    const std::uint64_t high = ReadDword();
    return low | (high << 32);
}

void CArchive::ReadBytes(std::span<std::uint8_t> out)
{
    auto bytes = Guarded([&] { return m_in.Bytes(out.size()); });
    std::copy(bytes.begin(), bytes.end(), out.begin());
}

std::uint32_t CArchive::ReadLength(std::uint8_t first)
{
    if (first < 0xFF)
        return first;
    std::uint16_t w = ReadWord();
    if (w < 0xFFFF)
        return w;
    return ReadDword();
}

std::string CArchive::ReadString()
{
    std::uint8_t first = ReadByte();
    if (first == 0xFF) {
        std::uint16_t w = ReadWord();
        if (w == 0xFFFE) {
            // Wide string: a second length prefix, then UTF-16LE characters.
            std::uint32_t n = ReadLength(ReadByte());
            if (static_cast<std::uint64_t>(n) * 2 > m_in.Remaining())
                throw ArchiveEndOfFile();
            std::u16string wide;
            wide.reserve(n);
            for (std::uint32_t i = 0; i < n; ++i)
                wide.push_back(static_cast<char16_t>(ReadWord()));
            return utf16ToCodePage(wide);
        }
        std::uint32_t n = w < 0xFFFF ? w : ReadDword();
        return Guarded([&] { return m_in.String(n); });
    }
    return Guarded([&] { return m_in.String(first); });
}

std::uint32_t CArchive::ReadCount()
{
    std::uint16_t w = ReadWord();
    if (w < 0xFFFF)
        return w;
    return ReadDword();
}

CArchive::Slot* CArchive::SlotAt(std::uint32_t index)
{
    if (index < m_firstSlotIndex || index - m_firstSlotIndex >= m_slots.size())
        return nullptr;
    return &m_slots[index - m_firstSlotIndex];
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* expected)
{
    std::uint16_t tag = ReadWord();
    std::uint32_t value;
    bool classFlag;
    if (tag == kBigObjectTag) {
        std::uint32_t big = ReadDword();
        classFlag = (big & kBigClassTag) != 0;
        value = big & ~kBigClassTag;
    } else {
        classFlag = (tag & kClassTag) != 0;
        value = tag & ~kClassTag;
    }

    if (!classFlag) {
        if (value == 0)
            return nullptr;
        return CopyOf(value, expected);
    }

    std::uint32_t classIndex;
    if (tag == kNewClassTag) {
        std::uint16_t schema = ReadWord();
        std::uint16_t length = ReadWord();
        if (length > kMaxClassName)
            throw ArchiveBadClass("class name of 64 bytes or more");
        std::string name = Guarded([&] { return m_in.String(length); });
        const CRuntimeClass* cls = FindClass(m_registry, name);
        if (!cls)
            throw ArchiveBadClass("unknown class " + name);
        if (schema != cls->schema && !cls->versionable)
            throw ArchiveBadSchema("class " + name + " with schema " + std::to_string(schema));
        classIndex = TakeIndex();
        m_slots.push_back(Slot{cls, true, schema, 0, 0, true});
    } else {
        classIndex = value;
        const Slot* slot = SlotAt(classIndex);
        if (!slot || !slot->isClass)
            throw ArchiveBadIndex("class index " + std::to_string(classIndex) + " not read");
    }
    return ReadNew(classIndex, expected);
}

std::unique_ptr<CObject> CArchive::ReadNew(std::uint32_t classIndex, const CRuntimeClass* expected)
{
    const Slot classSlot = *SlotAt(classIndex);
    if (expected && classSlot.cls != expected)
        throw ArchiveBadClass(std::string("expected ") + expected->name + ", found " + classSlot.cls->name);
    std::uint32_t index = TakeIndex();
    m_slots.push_back(Slot{classSlot.cls, false, classSlot.schema, m_in.Position(), 0, false});
    auto object = classSlot.cls->create();
    m_currentSchema = classSlot.schema;
    object->Serialize(*this);
    Slot* own = SlotAt(index);
    own->end = m_in.Position();
    own->complete = true;
    return object;
}

std::unique_ptr<CObject> CArchive::CopyOf(std::uint32_t index, const CRuntimeClass* expected)
{
    const Slot* slot = SlotAt(index);
    // An object still being read cannot be referred to: that would be a cycle.
    if (!slot || !slot->complete)
        throw ArchiveBadIndex("reference to object " + std::to_string(index) + " not read");
    if (slot->isClass || (expected && slot->cls != expected))
        throw ArchiveBadClass("reference to an object of an unexpected class");
    const std::uint64_t cost = slot->end - slot->begin + kCopyOverhead;
    if (cost > m_copyBudget)
        throw ArchiveBadIndex("back-references copy more than the archive holds");
    m_copyBudget -= cost;
    // The fields are read again from their own bytes; records hold no
    // references of their own, so the copy needs no index table.
    CArchive copy(m_data.subspan(slot->begin, slot->end - slot->begin), m_registry);
    copy.m_currentSchema = slot->schema;
    auto object = slot->cls->create();
    object->Serialize(copy);
    return object;
}

}  // namespace vardel

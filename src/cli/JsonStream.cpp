#include "cli/JsonStream.h"

#include <iostream>

namespace vardel::cli {

namespace {

constexpr int kIndent = 2;

// A value as dump(2) prints it where it stands depth levels deep: every line
// after its first indented by the levels above it.
void writeAt(std::ostream& out, const nlohmann::json& value, int depth)
{
    const std::string text = value.dump(kIndent);
    const std::string indent(static_cast<std::size_t>(depth * kIndent), ' ');
    std::size_t from = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', from)) {
        out.write(text.data() + from, static_cast<std::streamsize>(nl + 1 - from));
        out << indent;
        from = nl + 1;
    }
    out.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
}

void writeKey(std::ostream& out, const std::string& key, int depth)
{
    out << std::string(static_cast<std::size_t>(depth * kIndent), ' ') << nlohmann::json(key).dump() << ": ";
}

void writeStreamed(std::ostream& out, const StreamedValue& value, int depth)
{
    const bool object = static_cast<bool>(value.key);
    if (value.count == 0) {
        out << (object ? "{}" : "[]");
        return;
    }
    out << (object ? "{\n" : "[\n");
    for (std::size_t i = 0; i < value.count; ++i) {
        if (object)
            writeKey(out, value.key(i), depth + 1);
        else
            out << std::string(static_cast<std::size_t>((depth + 1) * kIndent), ' ');
        writeAt(out, value.value(i), depth + 1);
        out << (i + 1 < value.count ? ",\n" : "\n");
    }
    out << std::string(static_cast<std::size_t>(depth * kIndent), ' ') << (object ? '}' : ']');
}

}  // namespace

void writeWithStreamed(std::ostream& out, const nlohmann::json& rest, const std::string& key,
                       const StreamedValue& value)
{
    // The keys in the order of an object printed whole: rest's are in it
    // already, key goes where it belongs among them.
    out << "{\n";
    bool streamed = false;
    std::size_t left = rest.size() + 1;
    auto separator = [&] { out << (--left > 0 ? ",\n" : "\n"); };
    for (auto it = rest.begin(); it != rest.end(); ++it) {
        if (!streamed && key < it.key()) {
            writeKey(out, key, 1);
            writeStreamed(out, value, 1);
            separator();
            streamed = true;
        }
        writeKey(out, it.key(), 1);
        writeAt(out, it.value(), 1);
        separator();
    }
    if (!streamed) {
        writeKey(out, key, 1);
        writeStreamed(out, value, 1);
        separator();
    }
    out << "}";
}

void printStreamed(const StreamedValue& value)
{
    writeStreamed(std::cout, value, 0);
    std::cout << '\n';
}

void printWithStreamed(const nlohmann::json& rest, const std::string& key, const StreamedValue& value)
{
    writeWithStreamed(std::cout, rest, key, value);
    std::cout << '\n';
}

}  // namespace vardel::cli

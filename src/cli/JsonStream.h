#pragma once
// JSON printed as it is made: the one large part of an output (the entries
// of a catalogue, the hits of a search) is made and printed element by
// element, so that it is never whole in memory as JSON. The text is exactly
// what printJson prints for the whole value: two-space indentation, object
// keys in ascending order.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace vardel::cli {

// An array of count elements, or an object of count members (keys given in
// ascending order), each made when it is printed.
struct StreamedValue {
    std::size_t count = 0;
    std::function<nlohmann::json(std::size_t)> value;  // element i, or the value of member i
    std::function<std::string(std::size_t)> key;       // member i's key; empty for an array
};

// Prints value as printJson does.
void printStreamed(const StreamedValue& value);
// Prints the object rest (which must not hold key) with value under key, as
// printJson prints the whole object.
void printWithStreamed(const nlohmann::json& rest, const std::string& key, const StreamedValue& value);

// The same into out (for tests).
void writeWithStreamed(std::ostream& out, const nlohmann::json& rest, const std::string& key,
                       const StreamedValue& value);

}  // namespace vardel::cli

#pragma once
// The catalogue's vocabulary: plug-in kinds, plug-in classes and resource types.

#include <string>

namespace vardel {

constexpr int kKindCount = 24;       // rows 0..23; 1..23 are the known kinds
constexpr int kKindFilter = 1;       // "8BFM"
constexpr int kKindEffect = 9;       // "eFKT"
constexpr int kClassCount = 7;       // plug-in classes 0..6

// Row of a four-character kind code (case-sensitive); 0 when unknown.
int KindFromCode(const std::string& code);
// Code of a row; "****" for a row outside the table.
std::string KindCode(int row);
// Label of a row ("Filter"); "Unknown" for a row outside the table.
std::string KindLabel(int row);
// Plug-in class of a kind row; -1 for row 0 and rows outside the table.
int ClassOfKind(int row);
// Title of a plug-in class; empty for an index outside 0..6.
std::string ClassTitle(int index);
// Name of a resource type ("PiPL"); "Unknown" for any other value.
std::string ResourceTypeName(int type);

}  // namespace vardel

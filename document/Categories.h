#pragma once

#include "document/FaceParts.h"

#include <QString>

#include <array>
#include <optional>

// The four part categories. The enumeration follows the face record's own
// field order; each use of the categories has an order of its own, listed
// below, and nothing else in the program writes the mapping again.
enum class Category { Outline, Mouth, Hair, Eyes };

namespace Categories {

// The face file's columns: outline, hair, eyes, mouth.
inline constexpr std::array<Category, 4> FileColumns{Category::Outline, Category::Hair,
                                                     Category::Eyes, Category::Mouth};
// Drawing, bottom layer first, and the fields of the face code: outline,
// eyes, hair, mouth.
inline constexpr std::array<Category, 4> Drawing{Category::Outline, Category::Eyes, Category::Hair,
                                                 Category::Mouth};
// The column of pickers beside the main window, top to bottom.
inline constexpr std::array<Category, 4> Pickers{Category::Hair, Category::Eyes, Category::Outline,
                                                 Category::Mouth};

// The category's word (顔, 口, 髪 or 目): a picker's caption and the name of
// its folder in the parts library.
QString word(Category category);
// The category a word names, if it names one.
std::optional<Category> fromWord(const QString &word);

// What the face record holds for the part file fileName of the category: the
// category's word, a backslash and the name ("髪\h07.png"), as in face files
// made on Windows.
QString partEntry(Category category, const QString &fileName);
// A part's code: its position in its folder, with at least two digits ("07").
QString partCode(int position);

// The category's text in a face record.
QString &field(FaceParts &parts, Category category);
const QString &field(const FaceParts &parts, Category category);

} // namespace Categories

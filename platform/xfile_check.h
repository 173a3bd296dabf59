// A guard run over text .x files before they are imported: it rejects the malformations that the
// importer would not notice and would read or write out of bounds for (face indices past the vertex or
// normal list, skin weights of missing vertices, counts larger than the file could hold).
#pragma once

#include <cstddef>
#include <string>

// True when the file is not a text .x file (nothing to check) or nothing wrong was found in its meshes.
// False with a short reason otherwise. Parts it cannot follow are left to the importer.
bool CheckXFileText(const char* data, size_t size, std::string* reason);

// A guard run over .x files before they are imported: it rejects the malformations that the importer
// would not notice and would read or write out of bounds for, or crash on (face indices past the vertex or
// normal list, skin weights of missing vertices, counts larger than the file could hold, material lists
// whose faces name materials the list does not hold). Binary and compressed .x files, which the importer
// reads without any such checks, are refused as a whole.
#pragma once

#include <cstddef>
#include <string>

// True when the data is not a .x file at all (the importer refuses it) or nothing wrong was found in its
// meshes. False with a short reason otherwise. Parts of meshes it cannot follow are left to the importer;
// material lists it cannot follow are refused.
bool CheckXFileText(const char* data, size_t size, std::string* reason);

#pragma once

#include <string>
#include <vector>

namespace engine {

// What is wrong with a table file, one sentence each; empty for a sound
// file: a header that adds up, a record length equal to its fields' widths,
// a record count that matches the file's size (an end-of-file byte may
// follow), deletion flags ' ' or '*', and every cell readable as its field's
// type (blank, or a number, a date, a logical value). Nothing is changed.
std::vector<std::string> checkTableFile(const std::string& path);

}  // namespace engine

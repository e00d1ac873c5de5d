// Where a test program finds the files it uses: from its own place at run
// time, so that a build finds them wherever it runs (under Wine, or copied
// to another machine with the source tree beside it). The build tells the
// way from the test programs' folder to the source and to the other
// programs (TERRALOG_SOURCE_FROM_TESTS, TERRALOG_PROGRAMS_FROM_TESTS).
#pragma once

#include <string>

namespace testing_paths {

// A file or folder of tests/fixtures, "/" between the parts of `relative`.
std::string fixture(const std::string& relative);
// A program of the build: terralog, terralog-sql, terralog-import... (with
// ".exe" on Windows).
std::string builtProgram(const std::string& name);
// A file or folder the build writes beside the programs (translations/...).
std::string builtFile(const std::string& relative);

}  // namespace testing_paths

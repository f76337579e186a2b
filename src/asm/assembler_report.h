// What the user is told when the assembler rejects a source.
#pragma once

#include <string>
#include <string_view>

namespace varnock {

// The UTF-8 text of the message box for a run that ended with `exitCode`
// (not 0) after printing `output` (ANSI, as the assembler wrote it; possibly
// cut off at a line's end when it was too long). Each location
// "<sourceName>:N:" at a line's start becomes "line N-firstLine+1:", the line
// number in the user's text, whose first line is line `firstLine` of the
// source file. Always says that assembly failed, even without output.
std::string DescribeAssemblyFailure(std::string_view output, bool truncated, unsigned long exitCode,
                                    std::string_view sourceName, int firstLine);

}  // namespace varnock

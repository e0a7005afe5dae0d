#pragma once
// Fills a statement pattern: each "%s" or "%d" takes the next value as it stands (values are
// already SQL literals or decimal numbers). A pattern with more placeholders than values leaves
// the rest empty; surplus values are ignored.
#include <initializer_list>
#include <string>
#include <string_view>

std::string SqlFormat(std::string_view pattern, std::initializer_list<std::string_view> values);

#pragma once
// Fills a statement pattern written as the system's statement texts are written: each "%s",
// "%d" or "%ld" takes the next value as it stands (values are already SQL literals or decimal
// numbers). Missing values leave their placeholders empty; surplus values are ignored. Any other
// "%" is copied.
#include <initializer_list>
#include <string>
#include <string_view>

std::string FillStatement(std::string_view pattern, std::initializer_list<std::string_view> values);

#pragma once

#include <cstdint>

namespace torvel::test {

// Size of the version record built into this test program.
std::uint32_t ownRecordSize();

} // namespace torvel::test

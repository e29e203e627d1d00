#pragma once

namespace nuvero::test {

// True when the tests run as Windows programs under Wine, whose file system is the
// host's: some things Windows records (a file's creation time) or enforces (access
// lists) are not there to be tested.
bool runningUnderWine();

} // namespace nuvero::test

// The string table of the Windows test program (Win32Strings.rc), read back by the tests of
// LoadStringA on the real platform.
#pragma once

#define WIN32_TEST_STRING 4711
#define WIN32_TEST_STRING_TEXT "Velkor test string"

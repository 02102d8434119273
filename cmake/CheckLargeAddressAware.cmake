# Checks that a 32-bit Windows executable is large-address-aware: its COFF header has
# IMAGE_FILE_LARGE_ADDRESS_AWARE (0x0020) among its characteristics, so that on 64-bit Windows
# the program has 4 GiB of address space instead of 2 GiB.
#   cmake -DEXECUTABLE=file.exe -P CheckLargeAddressAware.cmake

include(${CMAKE_CURRENT_LIST_DIR}/PeFile.cmake)
set(PE_FILE ${EXECUTABLE})
pe_headers()
if(NOT PE_MACHINE EQUAL 0x14C)
  math(EXPR shown "${PE_MACHINE}" OUTPUT_FORMAT HEXADECIMAL)
  message(FATAL_ERROR "${EXECUTABLE}: machine ${shown}, not a 32-bit x86 program")
endif()
math(EXPR aware "${PE_CHARACTERISTICS} & 0x20")
if(NOT aware)
  math(EXPR shown "${PE_CHARACTERISTICS}" OUTPUT_FORMAT HEXADECIMAL)
  message(FATAL_ERROR "${EXECUTABLE} is not large-address-aware (characteristics ${shown})")
endif()
message(STATUS "${EXECUTABLE}: large-address-aware")

# Checks that an executable exports exactly the USB names of UsbExports.list and no other name
# beginning with USB.
#   cmake -DEXECUTABLE=file -DEXPORTS_LIST=UsbExports.list -DDUMP_TOOL=nm|objdump
#         -DFORMAT=elf|pe -P CheckUsbExports.cmake

file(STRINGS ${EXPORTS_LIST} lines REGEX "^USB")
set(wanted)
foreach(line IN LISTS lines)
  string(REGEX REPLACE " .*" "" name "${line}")
  list(APPEND wanted ${name})
endforeach()

if(FORMAT STREQUAL "pe")
  # The export name table: lines "[   0] USBOpenDevice".
  execute_process(COMMAND ${DUMP_TOOL} -p ${EXECUTABLE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_@]*" entries "${dump}")
  list(TRANSFORM entries REPLACE "^\\[ *[0-9]+\\] " "")
else()
  # Lines "0000000000012345 T USBOpenDevice".
  execute_process(COMMAND ${DUMP_TOOL} -D --defined-only ${EXECUTABLE}
                  OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  string(REGEX MATCHALL "[^ \n]+\n" entries "${dump}")
  list(TRANSFORM entries STRIP)
endif()
if(failed)
  message(FATAL_ERROR "${DUMP_TOOL} could not read ${EXECUTABLE}")
endif()

set(exported)
foreach(name IN LISTS entries)
  if(name MATCHES "^USB")
    list(APPEND exported ${name})
  endif()
endforeach()

set(missing ${wanted})
list(REMOVE_ITEM missing ${exported})
set(extra ${exported})
list(REMOVE_ITEM extra ${wanted})
list(LENGTH exported count)
list(LENGTH wanted expected)
if(missing OR extra OR NOT count EQUAL expected)
  message(FATAL_ERROR "${EXECUTABLE} exports ${count} USB names, not exactly the ${expected} of the list."
                      "\n  missing: ${missing}\n  not in the list: ${extra}")
endif()
message(STATUS "${EXECUTABLE}: the ${expected} USB names of the list, and no other")

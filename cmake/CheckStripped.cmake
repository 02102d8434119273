# Checks that a Release program ships without debug sections and with its debug information
# beside it: a .gnu_debuglink section that names X.exe.debug, and that file with the debug
# sections.
#   cmake -DEXECUTABLE=file.exe -P CheckStripped.cmake

include(${CMAKE_CURRENT_LIST_DIR}/PeFile.cmake)
set(PE_FILE ${EXECUTABLE})
pe_sections()
foreach(section IN LISTS PE_SECTIONS)
  if(section MATCHES "^(\\.debug[^:]*)")
    message(FATAL_ERROR "${EXECUTABLE} has a debug section (${CMAKE_MATCH_1})")
  endif()
endforeach()
pe_section(.gnu_debuglink link)
if(link_RVA STREQUAL "")
  message(FATAL_ERROR "${EXECUTABLE} has no .gnu_debuglink section")
endif()
read_text(${link_OFFSET} ${link_SIZE} named)
get_filename_component(name ${EXECUTABLE} NAME)
if(NOT named STREQUAL "${name}.debug")
  message(FATAL_ERROR "${EXECUTABLE}: .gnu_debuglink names '${named}', not ${name}.debug")
endif()

set(PE_FILE ${EXECUTABLE}.debug)
if(NOT EXISTS ${PE_FILE})
  message(FATAL_ERROR "${PE_FILE} is missing")
endif()
pe_sections()
pe_section(.debug_info info)
if(info_RVA STREQUAL "")
  message(FATAL_ERROR "${PE_FILE} holds no debug information (.debug_info)")
endif()
message(STATUS "${EXECUTABLE}: no debug sections; they are in ${name}.debug")

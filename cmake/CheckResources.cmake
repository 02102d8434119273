# Checks the resources a Windows program carries: the icon with its images of every size Windows
# asks for, the manifest with what it asks of Windows, the version information with its texts.
#   cmake -DEXECUTABLE=file.exe -P CheckResources.cmake

include(${CMAKE_CURRENT_LIST_DIR}/PeFile.cmake)
set(PE_FILE ${EXECUTABLE})
pe_sections()
set(failures)

# The bytes of the first resource of a type, as hex digits in <out>; a failure when there is none.
function(resource_hex type what out)
  pe_resource(${type})
  if(PE_RESOURCE_OFFSET STREQUAL "")
    set(failures ${failures} "no ${what}" PARENT_SCOPE)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  file(READ ${PE_FILE} hex OFFSET ${PE_RESOURCE_OFFSET} LIMIT ${PE_RESOURCE_SIZE} HEX)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# A failure for each text that the bytes (hex) do not hold, in ASCII or UTF-16 (little-endian).
function(expect_texts what hex encoding)
  foreach(text IN LISTS ARGN)
    string(HEX "${text}" needle)
    if(encoding STREQUAL "UTF-16")
      string(REGEX REPLACE "(..)" "\\100" needle "${needle}")
    endif()
    string(FIND "${hex}" "${needle}" at)
    if(at EQUAL -1)
      list(APPEND failures "${what} without \"${text}\"")
    endif()
  endforeach()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# RT_GROUP_ICON: a GRPICONDIR, then one 14-byte entry per image, its width first (0 for 256).
resource_hex(14 "icon" icon)
if(NOT icon STREQUAL "")
  set(widths)
  string(SUBSTRING "${icon}" 8 4 count)
  string(REGEX REPLACE "(..)(..)" "0x\\2\\1" count "${count}")
  math(EXPR last "${count} - 1")
  foreach(index RANGE 0 ${last})
    math(EXPR at "(6 + ${index} * 14) * 2")
    string(SUBSTRING "${icon}" ${at} 2 width)
    math(EXPR width "0x${width}")
    list(APPEND widths ${width})
  endforeach()
  list(SORT widths COMPARE NATURAL)
  list(JOIN widths " " widths)
  if(NOT widths STREQUAL "0 16 20 24 32 40 48 64")
    list(APPEND failures "icon images of widths ${widths}, not 16 to 64 and 256 (as 0)")
  endif()
endif()

# RT_MANIFEST: UTF-8 as the code page, long paths, and Windows 7, 8, 8.1, 10 and 11.
resource_hex(24 "manifest" manifest)
expect_texts(manifest "${manifest}" ASCII
             "<activeCodePage" ">UTF-8<" "<longPathAware" "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}" "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")

# RT_VERSION: the texts of the string file information, and the program's own file name.
resource_hex(16 "version information" version)
get_filename_component(name ${EXECUTABLE} NAME)
expect_texts("version information" "${version}" UTF-16
             CompanyName FileDescription FileVersion InternalName LegalCopyright
             OriginalFilename ProductName ProductVersion Translation ${name})

if(failures)
  list(JOIN failures "; " failures)
  message(FATAL_ERROR "${EXECUTABLE}: ${failures}")
endif()
message(STATUS "${EXECUTABLE}: icon, manifest and version information as they ship")

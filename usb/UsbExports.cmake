# Exporting the USB library from the programs.
#
# Every program that links the library exports its 34 functions under the names in
# UsbExports.list, and no other USB name: on Windows in the .exe's export table (a .def file that,
# on 32-bit Windows, maps each plain name to its decorated stdcall symbol; 64-bit Windows has one
# calling convention and decorates no name), elsewhere as dynamic symbols of the
# executable (a --dynamic-list). The functions live in a static library, so each is also named to
# the linker as wanted, which pulls it in although nothing in the program calls it.
#
# velkor_export_usb_library(TARGET) does all of this for one executable, gives a Windows program
# the library's status texts as string resources, and adds a test that checks what the built
# executable exports.

set(usb_exports_list ${CMAKE_CURRENT_LIST_DIR}/UsbExports.list)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${usb_exports_list})
file(STRINGS ${usb_exports_list} usb_export_lines REGEX "^USB")

set(usb_def "EXPORTS\n")
set(usb_dynamic "{\n")
set(usb_wanted)
foreach(line IN LISTS usb_export_lines)
  if(NOT line MATCHES "^(USB[A-Za-z]+) ([0-9]+)$")
    message(FATAL_ERROR "UsbExports.list: cannot read '${line}'")
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(APPEND usb_def "  ${CMAKE_MATCH_1} = ${CMAKE_MATCH_1}@${CMAKE_MATCH_2}\n")
  else()
    string(APPEND usb_def "  ${CMAKE_MATCH_1}\n")
  endif()
  string(APPEND usb_dynamic "  ${CMAKE_MATCH_1};\n")
  list(APPEND usb_wanted "LINKER:-u,${CMAKE_MATCH_1}")
endforeach()
string(APPEND usb_dynamic "};\n")

file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/UsbExports.def CONTENT "${usb_def}")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/UsbExports.dynamic CONTENT "${usb_dynamic}")
set_property(GLOBAL PROPERTY velkor_usb_wanted ${usb_wanted})
set_property(GLOBAL PROPERTY velkor_usb_export_dir ${CMAKE_CURRENT_BINARY_DIR})
set_property(GLOBAL PROPERTY velkor_usb_source_dir ${CMAKE_CURRENT_LIST_DIR})

function(velkor_export_usb_library target)
  get_property(wanted GLOBAL PROPERTY velkor_usb_wanted)
  get_property(export_dir GLOBAL PROPERTY velkor_usb_export_dir)
  get_property(source_dir GLOBAL PROPERTY velkor_usb_source_dir)
  target_link_libraries(${target} PRIVATE velkor_usb)
  if(WIN32)
    # CMake passes a .def source to the linker for DLLs only: an executable gets it by hand.
    target_sources(${target} PRIVATE ${source_dir}/UsbStatusTexts.rc)
    set(exports ${export_dir}/UsbExports.def)
    target_link_options(${target} PRIVATE ${exports})
    set(dump ${CMAKE_OBJDUMP})
    set(format pe)
  else()
    set(exports ${export_dir}/UsbExports.dynamic)
    target_link_options(${target} PRIVATE "LINKER:--dynamic-list=${exports}" ${wanted})
    set(dump ${CMAKE_NM})
    set(format elf)
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${exports})
  if(VELKOR_TESTS)
    add_test(NAME usb_exports_${target}
             COMMAND ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:${target}>
                     -DEXPORTS_LIST=${source_dir}/UsbExports.list -DDUMP_TOOL=${dump}
                     -DFORMAT=${format} -P ${source_dir}/CheckUsbExports.cmake)
  endif()
endfunction()

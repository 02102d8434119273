# Build helpers shared by every folder.

if(VELKOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # One self-contained .exe per program: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ShippedProgram.cmake)

function(velkor_warnings target)
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                            -Wno-sign-conversion)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 takes std::string's own copies for overlapping ones at -O3 (its bug 105651), as in
    # "P" + std::to_string(i); AddressSanitizer still catches real overlaps.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(VELKOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# velkor_library(NAME [SOURCES files...] [DEPENDS targets...] [EXCLUDE files...])
# A static library of the .cpp files in the calling folder (and SOURCES), or an interface
# library while the folder has none.
function(velkor_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${A_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  list(APPEND srcs ${A_SOURCES})
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPENDS})
    velkor_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPENDS})
  endif()
endfunction()

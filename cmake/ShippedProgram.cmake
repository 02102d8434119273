# What a program that ships gets, through velkor_shipped_program(TARGET).
#
# A Windows Release build ships without debug sections: the program is compiled with -g1 (the
# functions and source lines of every address, and no more, which keeps the build and the test
# programs small), and after the link its debug information moves into X.exe.debug beside it, which the stripped
# X.exe names in its .gnu_debuglink section (gdb, objdump and addr2line load it from there to
# read a crash address). The tests check the built files: large-address flag (32-bit), no debug
# sections and the debug file beside, and the resources (icon sizes, manifest, version).

set(VELKOR_SPLIT_DEBUG OFF)
if(WIN32 AND CMAKE_BUILD_TYPE STREQUAL "Release")
  set(VELKOR_SPLIT_DEBUG ON)
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-g1>)
endif()

# 32-bit Windows programs are large-address-aware: on 64-bit Windows they have 4 GiB of address
# space instead of 2 GiB (a 64-bit program has more than it needs either way).
set(VELKOR_LARGE_ADDRESS_AWARE OFF)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELKOR_LARGE_ADDRESS_AWARE ON)
  add_link_options(LINKER:--large-address-aware)
endif()

# A test that runs cmake/Check<script>.cmake on the built program.
function(velkor_check_program_file name target script)
  add_test(NAME ${name}_${target}
           COMMAND ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:${target}>
                   -P ${PROJECT_SOURCE_DIR}/cmake/Check${script}.cmake)
endfunction()

function(velkor_shipped_program target)
  if(VELKOR_SPLIT_DEBUG)
    set(exe $<TARGET_FILE_NAME:${target}>)
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${exe} ${exe}.debug
                       COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${exe}.debug ${exe}
                       WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
                       VERBATIM)
    set_property(TARGET ${target} APPEND
                 PROPERTY ADDITIONAL_CLEAN_FILES $<TARGET_FILE:${target}>.debug)
  endif()
  if(NOT VELKOR_TESTS OR NOT WIN32)
    return()
  endif()
  if(VELKOR_LARGE_ADDRESS_AWARE)
    velkor_check_program_file(large_address_aware ${target} LargeAddressAware)
  endif()
  if(VELKOR_SPLIT_DEBUG)
    velkor_check_program_file(exe_files_stripped ${target} Stripped)
  endif()
  velkor_check_program_file(exe_files_resources ${target} Resources)
endfunction()

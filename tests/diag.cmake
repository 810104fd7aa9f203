# The crash suite runs a helper that crashes with the handler armed and reads the dump
# with minidump_dump from the same Breakpad release the client was built from.
add_executable(cellvue_crasher ${CMAKE_CURRENT_SOURCE_DIR}/crash/crasher.cpp)
target_link_libraries(cellvue_crasher PRIVATE cellvue_core)

if(TARGET tst_crash)
  add_dependencies(tst_crash cellvue_crasher)
  target_compile_definitions(tst_crash PRIVATE
    CELLVUE_CRASHER="$<TARGET_FILE:cellvue_crasher>"
    CELLVUE_MINIDUMP_DUMP="${CELLVUE_MINIDUMP_DUMP}")
endif()

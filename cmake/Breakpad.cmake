# Google Breakpad's in-process Linux client, built from source as the static library
# `breakpad_client`. Debian ships no Breakpad, so scripts/bootstrap.sh unpacks the npm
# package minidump@0.26.0 (Breakpad source, Linux Syscall Support and the prebuilt
# minidump_dump/minidump_stackwalk tools) under CELLVUE_DEPS.
#
# Defines:
#   breakpad_client        static library, include dirs and pthread PUBLIC
#   CELLVUE_MINIDUMP_DUMP  path of the prebuilt minidump_dump for this host (may not exist
#                          on hosts the npm package has no binary for)

set(CELLVUE_DEPS "/opt/cellvue-deps" CACHE PATH
  "Directory holding third-party sources fetched by scripts/bootstrap.sh")

set(_bp_pkg ${CELLVUE_DEPS}/minidump)
set(_bp_src ${_bp_pkg}/deps/breakpad/src)
set(_bp_lss ${_bp_pkg}/deps/third_party/lss/linux_syscall_support.h)

if(NOT EXISTS ${_bp_src}/client/linux/handler/exception_handler.cc OR NOT EXISTS ${_bp_lss})
  message(FATAL_ERROR
    "Breakpad source not found in ${_bp_pkg}/deps.\n"
    "Run scripts/bootstrap.sh first (it unpacks minidump@0.26.0 there), or point "
    "CELLVUE_DEPS at the directory it used: cmake -DCELLVUE_DEPS=<dir> ...")
endif()

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  message(FATAL_ERROR "Only Breakpad's Linux client is built here (host: ${CMAKE_SYSTEM_NAME})")
endif()

# Breakpad includes "third_party/lss/linux_syscall_support.h" relative to its src/
# directory, but the npm package keeps LSS beside breakpad/, not inside it. Give it the
# layout it expects in the build tree instead of touching the unpacked source.
set(_bp_gen ${CMAKE_CURRENT_BINARY_DIR}/breakpad-include)
configure_file(${_bp_lss} ${_bp_gen}/third_party/lss/linux_syscall_support.h COPYONLY)

add_library(breakpad_client STATIC
  ${_bp_src}/client/linux/crash_generation/crash_generation_client.cc
  ${_bp_src}/client/linux/dump_writer_common/thread_info.cc
  ${_bp_src}/client/linux/dump_writer_common/ucontext_reader.cc
  ${_bp_src}/client/linux/handler/exception_handler.cc
  ${_bp_src}/client/linux/handler/minidump_descriptor.cc
  ${_bp_src}/client/linux/log/log.cc
  ${_bp_src}/client/linux/microdump_writer/microdump_writer.cc
  ${_bp_src}/client/linux/minidump_writer/linux_dumper.cc
  ${_bp_src}/client/linux/minidump_writer/linux_ptrace_dumper.cc
  ${_bp_src}/client/linux/minidump_writer/minidump_writer.cc
  ${_bp_src}/client/linux/minidump_writer/pe_file.cc
  ${_bp_src}/client/minidump_file_writer.cc
  ${_bp_src}/common/convert_UTF.cc
  ${_bp_src}/common/md5.cc
  ${_bp_src}/common/string_conversion.cc
  ${_bp_src}/common/linux/elfutils.cc
  ${_bp_src}/common/linux/file_id.cc
  ${_bp_src}/common/linux/guid_creator.cc
  ${_bp_src}/common/linux/linux_libc_support.cc
  ${_bp_src}/common/linux/memory_mapped_file.cc
  ${_bp_src}/common/linux/safe_readlink.cc
  # HAVE_GETCONTEXT is left undefined on purpose: Breakpad then uses its own
  # getcontext, which (unlike glibc's) does not make a syscall from the signal handler.
  ${_bp_src}/common/linux/breakpad_getcontext.S)

include(CheckSymbolExists)
check_symbol_exists(getrandom "sys/random.h" CELLVUE_HAVE_GETRANDOM)
if(CELLVUE_HAVE_GETRANDOM)
  # Minidump ids from the kernel's random source rather than a time-seeded fallback.
  target_compile_definitions(breakpad_client PRIVATE HAVE_SYS_RANDOM_H HAVE_GETRANDOM)
endif()

# SYSTEM: third-party headers must not bring their warnings into our own code.
target_include_directories(breakpad_client SYSTEM PUBLIC ${_bp_src} ${_bp_gen})
set_target_properties(breakpad_client PROPERTIES POSITION_INDEPENDENT_CODE ON)
# LSS does not build with GCC 12 when warnings are errors; nor is this our code to fix.
target_compile_options(breakpad_client PRIVATE -Wno-error -w
  # The assembler file carries no stack note, which would make the linker give every
  # program that links it an executable stack.
  $<$<COMPILE_LANGUAGE:ASM>:-Wa,--noexecstack>)
# Nothing of Qt's in here: keep moc/uic/rcc from scanning Breakpad's sources.
set_target_properties(breakpad_client PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
target_link_libraries(breakpad_client PUBLIC Threads::Threads)

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(_bp_host linux-x64)
else()
  set(_bp_host linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CELLVUE_MINIDUMP_DUMP ${_bp_pkg}/bin/${_bp_host}/minidump_dump)

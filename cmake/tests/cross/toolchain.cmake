# A firmware cross toolchain as such projects write them, with the host's C compiler standing in
# for the cross compiler: packages, libraries and headers are looked for in the sysroot only (an
# empty folder here, and no CMAKE_SYSROOT, which would search the host's root again), and target
# programs run through an emulator that refuses to run sumwright, a host program.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_C_COMPILER cc)

set(CMAKE_FIND_ROOT_PATH ${CMAKE_BINARY_DIR}/empty-sysroot)
file(MAKE_DIRECTORY ${CMAKE_FIND_ROOT_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/emulator.sh)

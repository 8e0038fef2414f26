# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (x86_64).
# The product is the i686 build; this one exists so the same sources can be
# tested under 64-bit Wine on machines whose kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUAVEL_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of this compiler version lacks. Linked statically like the rest.
set(CMAKE_C_COMPILER ${QUAVEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUAVEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUAVEL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUAVEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

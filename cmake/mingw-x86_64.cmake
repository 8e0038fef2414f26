# Cross-compiles for 64-bit Windows with Debian's mingw-w64. The product is the
# i686 build; this one exists so the same sources can be tested under 64-bit
# Wine on machines whose kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUAVEL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

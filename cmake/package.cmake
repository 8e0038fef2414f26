# What a user gets: the agent and quavelctl in bin/, the host headers in
# include/quavel/, the README at the top. `cpack -G ZIP` in a build tree
# zips it as quavel-VERSION-win32.zip (win64 from a 64-bit tree).
install(TARGETS quavel quavelctl RUNTIME DESTINATION bin)
install(FILES include/quavel/host.h include/quavel/protocol.h DESTINATION include/quavel)
install(FILES README.md DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUAVEL_PACKAGE_PLATFORM win64)
else()
  set(QUAVEL_PACKAGE_PLATFORM win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quavel)
set(CPACK_PACKAGE_VENDOR Quavel)
set(CPACK_PACKAGE_FILE_NAME quavel-${PROJECT_VERSION}-${QUAVEL_PACKAGE_PLATFORM})
# The static runtimes bring their debug sections along; users need none.
set(CPACK_STRIP_FILES ON)
include(CPack)

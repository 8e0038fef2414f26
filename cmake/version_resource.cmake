# Gives an executable a Windows version resource (its file properties):
# the project's version, product name "Quavel" and `description`.
function(quavel_version_resource target description)
  set(QUAVEL_RESOURCE_TARGET ${target})
  set(QUAVEL_RESOURCE_FILE_NAME ${target}${CMAKE_EXECUTABLE_SUFFIX})
  set(QUAVEL_RESOURCE_DESCRIPTION "${description}")
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()

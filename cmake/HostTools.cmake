# Programs a cross build runs while it builds (the placeholder firmware generator and the artwork
# drawer) must be built for the build machine. By default they are built here with the host's own
# compiler; P25_HOST_TOOLS_DIR names a folder where they are already built instead.
set(P25_HOST_TOOLS_DIR "" CACHE PATH "Folder with host-built p25firmware-gen and p25artwork (empty: build them)")

if(P25_HOST_TOOLS_DIR)
  set(P25_HOST_FIRMWARE_GEN "${P25_HOST_TOOLS_DIR}/p25firmware-gen")
  set(P25_HOST_ARTWORK "${P25_HOST_TOOLS_DIR}/p25artwork")
  add_custom_target(p25hosttools)
else()
  include(ExternalProject)
  set(p25_host_tools_build "${CMAKE_BINARY_DIR}/host-tools")
  set(P25_HOST_FIRMWARE_GEN "${p25_host_tools_build}/p25firmware-gen")
  set(P25_HOST_ARTWORK "${p25_host_tools_build}/p25artwork")
  ExternalProject_Add(p25hosttools
    SOURCE_DIR "${PROJECT_SOURCE_DIR}/cmake/host-tools"
    BINARY_DIR "${p25_host_tools_build}"
    CMAKE_ARGS -DP25_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DCMAKE_BUILD_TYPE=Release -DP25_WERROR=${P25_WERROR}
    INSTALL_COMMAND ""
    # Always ask make, so an edited tool is rebuilt; it does nothing when nothing changed.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS "${P25_HOST_FIRMWARE_GEN}" "${P25_HOST_ARTWORK}")
endif()

# The release folder of the win64 build, assembled by
#   cmake --build --preset win64 --target release-folder
# into build/win64/release/: the study libraries built so far, Rollout.exe, a Rollout.cfg
# that opens the user guide after the installation, and the user guide (docs/, each page
# also as a plain .htm page for the browser). The user adds the studies' .pla archives,
# which are made inside the trading platform.

function(xmt_release_folder libraries)
  set(dir ${CMAKE_BINARY_DIR}/release)
  set(cfg ${CMAKE_BINARY_DIR}/installer/Rollout.cfg)
  # Rollout starts in the release folder, so the guide's page is named relative to it.
  file(WRITE ${cfg} "docs/README.htm\r\n")
  set(copies "")
  foreach(lib IN LISTS libraries)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${lib}> ${dir}/)
  endforeach()
  add_custom_target(release-folder
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/docs
    ${copies}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Rollout> ${cfg} ${dir}/
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/docs -DDEST=${dir}/docs
      -P ${PROJECT_SOURCE_DIR}/installer/docs_pages.cmake
    DEPENDS Rollout ${libraries}
    COMMENT "Assembling the release folder ${dir}"
    VERBATIM)
endfunction()
xmt_after_all_libraries(xmt_release_folder)

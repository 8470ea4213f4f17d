# Wine test harness: one session (prefix, Xvfb display, persistent wineserver) per build tree,
# set up and torn down by CTest fixtures. Tests in it share the desktop, the registry and the
# named-object namespace, so they run one at a time. The prefix is of the build's own kind (32-bit
# for win32, 64-bit for win64). Every test in the session carries the label "wine".
set(KARUVEL_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(KARUVEL_TOOLS ${PROJECT_SOURCE_DIR}/tools)

add_test(NAME wine_session_start
         COMMAND ${KARUVEL_TOOLS}/wine-session.sh start ${KARUVEL_WINE_DIR} ${KARUVEL_WIN_ARCH})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120 LABELS wine)
add_test(NAME wine_session_stop COMMAND ${KARUVEL_TOOLS}/wine-session.sh stop ${KARUVEL_WINE_DIR})
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

# karuvel_wine_test(<name> <target> [args...]): runs a Win32 executable target under the session.
function(karuvel_wine_test name target)
  add_test(NAME ${name}
           COMMAND ${KARUVEL_TOOLS}/wine-run.sh ${KARUVEL_WINE_DIR} $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop TIMEOUT 600 LABELS wine)
endfunction()

# Builds the Japanese manual (assets/help) into a Qt Help collection in
# <build>/bin/help: tamalog.qch (the pages), tamalog.qhc (the collection the
# help window opens) and html/ (the plain pages the desktop's browser opens).
find_program(TAMA_QHELPGENERATOR qhelpgenerator
  HINTS /usr/lib/qt6/libexec /usr/lib/qt6/bin /usr/lib/x86_64-linux-gnu/qt6/libexec
  REQUIRED)
set(TAMA_HELP_SRC ${PROJECT_SOURCE_DIR}/assets/help)
set(TAMA_HELP_OUT ${PROJECT_BINARY_DIR}/bin/help)
file(GLOB TAMA_HELP_PAGES CONFIGURE_DEPENDS ${TAMA_HELP_SRC}/html/*)
add_custom_command(
  OUTPUT ${TAMA_HELP_OUT}/tamalog.qhc ${TAMA_HELP_OUT}/tamalog.qch
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TAMA_HELP_OUT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TAMA_HELP_OUT}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${TAMA_HELP_SRC}/html ${TAMA_HELP_OUT}/html
  COMMAND ${CMAKE_COMMAND} -E copy ${TAMA_HELP_SRC}/tamalog.qhp ${TAMA_HELP_SRC}/tamalog.qhcp ${TAMA_HELP_OUT}
  COMMAND ${TAMA_QHELPGENERATOR} ${TAMA_HELP_OUT}/tamalog.qhcp -o ${TAMA_HELP_OUT}/tamalog.qhc -s
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TAMA_HELP_OUT}/tamalog.qhp ${TAMA_HELP_OUT}/tamalog.qhcp
  DEPENDS ${TAMA_HELP_PAGES} ${TAMA_HELP_SRC}/tamalog.qhp ${TAMA_HELP_SRC}/tamalog.qhcp
  COMMENT "Building the help collection"
  VERBATIM)
add_custom_target(tamalog_help ALL DEPENDS ${TAMA_HELP_OUT}/tamalog.qhc)

install(FILES ${TAMA_HELP_OUT}/tamalog.qhc ${TAMA_HELP_OUT}/tamalog.qch DESTINATION share/tamalog/help)
install(DIRECTORY ${TAMA_HELP_OUT}/html DESTINATION share/tamalog/help)

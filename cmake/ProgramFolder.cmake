# Lays out the runnable program folder around the executable (cmake -P, run at every build):
# data/ with the print templates that exist, and help/. Files are copied when they changed; the
# day files, the settings and the watched-racer list that a run leaves in data/ are not touched.
#   SOURCE_DIR   the source tree
#   TEMPLATE_DIR where the print templates are kept
#   FOLDER       the program folder

file(MAKE_DIRECTORY "${FOLDER}/data")
file(COPY "${SOURCE_DIR}/help" DESTINATION "${FOLDER}")
foreach(name yftpl.txt kftpl.txt ydtpl.txt kdtpl.txt)
  if(EXISTS "${TEMPLATE_DIR}/${name}")
    file(COPY "${TEMPLATE_DIR}/${name}" DESTINATION "${FOLDER}/data")
  endif()
endforeach()

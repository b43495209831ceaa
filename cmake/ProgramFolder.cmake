# Lays out the runnable program folder around the executable (cmake -P, run at every build):
# data/ with the print templates and the forecast model, and help/. The day files, the settings
# and the watched-racer list that a run leaves in data/ are not touched.
#   SOURCE_DIR   the source tree
#   TEMPLATE_DIR where the print templates and the model are kept
#   FOLDER       the program folder
#
# The templates and the model are the user's to edit or to fit anew (README), so a build copies
# one only when the folder lacks it, or when it is still the copy an earlier build shipped and
# the shipped one has changed since. The copies shipped last are kept in .shipped/ to tell an
# edit from an old shipped copy: the rule of the package's launcher (dist/kelu.in). A file from
# before .shipped/ existed that differs from the shipped one is taken for an edit and kept.

file(MAKE_DIRECTORY "${FOLDER}/data" "${FOLDER}/.shipped")
file(COPY "${SOURCE_DIR}/help" DESTINATION "${FOLDER}")

function(kelu_same_file a b result)
  set(same FALSE)
  if(EXISTS "${a}" AND EXISTS "${b}")
    file(SHA256 "${a}" hash_a)
    file(SHA256 "${b}" hash_b)
    if(hash_a STREQUAL hash_b)
      set(same TRUE)
    endif()
  endif()
  set(${result} ${same} PARENT_SCOPE)
endfunction()

foreach(name yftpl.txt kftpl.txt ydtpl.txt kdtpl.txt forecast.json)
  set(shipped "${TEMPLATE_DIR}/${name}")
  set(mine "${FOLDER}/data/${name}")
  set(last "${FOLDER}/.shipped/${name}")
  if(NOT EXISTS "${shipped}")
    continue()
  endif()
  kelu_same_file("${mine}" "${last}" unedited)
  if(NOT EXISTS "${mine}" OR unedited)
    file(COPY_FILE "${shipped}" "${mine}" ONLY_IF_DIFFERENT)
  endif()
  file(COPY_FILE "${shipped}" "${last}" ONLY_IF_DIFFERENT)
endforeach()

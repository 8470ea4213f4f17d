# Makes the release zip from the "release" install component so that the same sources give the same
# bytes: entries in sorted order, each with one fixed date and nothing of the machine. The zip's
# SHA-256 goes beside it.
#   cmake -DBUILD=<build dir> -DNAME=<karuvel-version-arch> [-DOUT=<folder>] -P release_zip.cmake
if(NOT OUT)
  set(OUT ${BUILD}/package)
endif()
set(stage ${OUT}/stage)
file(REMOVE_RECURSE ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --component release --prefix ${stage}/${NAME}
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "release zip: installing the release files failed")
endif()
file(GLOB_RECURSE files RELATIVE ${stage} ${stage}/*)
list(SORT files)
list(JOIN files "\n" listing)
file(WRITE ${OUT}/${NAME}.files "${listing}\n")
file(REMOVE ${OUT}/${NAME}.zip)
# zip -X leaves out the extra fields (owner, access and change times) that would differ per machine.
execute_process(COMMAND touch -d "2000-01-01 00:00:00 UTC" ${files} WORKING_DIRECTORY ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -D -q ${OUT}/${NAME}.zip -@
                INPUT_FILE ${OUT}/${NAME}.files WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "release zip: making ${NAME}.zip failed")
endif()
file(SHA256 ${OUT}/${NAME}.zip hash)
file(WRITE ${OUT}/${NAME}.zip.sha256 "${hash}  ${NAME}.zip\n")
file(REMOVE_RECURSE ${stage} ${OUT}/${NAME}.files)

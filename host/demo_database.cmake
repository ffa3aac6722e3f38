# Puts a QQWry.dat beside the programs for the demo, once: the database that
# the npm package lib-qqwry carries (only its data/qqwry.dat is taken, none of
# its code) when npm can reach the registry, otherwise the small database of
# our generator (where the generator can run on the build machine).
# Run as: cmake -DOUTPUT=... -DWORK=... [-DGENERATOR=...] -P demo_database.cmake
if(EXISTS "${OUTPUT}")
  return()
endif()

set(package lib-qqwry@1.3.4)
find_program(NPM npm)
if(NPM)
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  execute_process(
    COMMAND "${NPM}" pack ${package} --silent --fetch-retries=0 --fetch-timeout=30000
    WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE packed OUTPUT_VARIABLE tarball
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET TIMEOUT 180)
  if(packed EQUAL 0 AND EXISTS "${WORK}/${tarball}")
    execute_process(COMMAND tar -xzf "${tarball}" package/data/qqwry.dat
                    WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE extracted)
    if(extracted EQUAL 0 AND EXISTS "${WORK}/package/data/qqwry.dat")
      file(COPY_FILE "${WORK}/package/data/qqwry.dat" "${OUTPUT}")
    endif()
  endif()
  file(REMOVE_RECURSE "${WORK}")
endif()

if(NOT EXISTS "${OUTPUT}" AND GENERATOR)
  message(STATUS "QQWry.dat: npm unreachable, writing the generator's small database")
  execute_process(COMMAND "${GENERATOR}" "${OUTPUT}")
endif()

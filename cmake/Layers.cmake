# The layering of the source tree stays true: layers.check fails when a file
# includes against cmake/layers.txt, layers.check_fails shows that the check
# catches a planted wrong include, a folder outside the table and a circle.
find_program(MAKEBIN_SH sh REQUIRED)
add_test(NAME layers.check
         COMMAND ${MAKEBIN_SH} ${PROJECT_SOURCE_DIR}/cmake/check-layers.sh ${PROJECT_SOURCE_DIR}
                 ${PROJECT_SOURCE_DIR}/cmake/layers.txt)
add_test(NAME layers.check_fails
         COMMAND ${MAKEBIN_SH} ${PROJECT_SOURCE_DIR}/cmake/check-layers-test.sh ${PROJECT_SOURCE_DIR})

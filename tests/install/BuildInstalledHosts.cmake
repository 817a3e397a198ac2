# Installs the built library into a scratch prefix, then builds and runs a small
# C host and a small C++ host against the installed tree: once through
# find_package(zelkor), once through pkg-config.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# find_package(zelkor) and the target zelkor::zelkor.
run(${CMAKE_COMMAND} -S ${HOSTS_DIR} -B ${WORK_DIR}/cmake-hosts -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-hosts)
run(${WORK_DIR}/cmake-hosts/c_host)
run(${WORK_DIR}/cmake-hosts/cpp_host)

# pkg-config.
file(GLOB pc_dirs ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
list(GET pc_dirs 0 pc_dir)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs zelkor OUTPUT_VARIABLE flags
  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know zelkor")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
get_filename_component(libdir ${pc_dir} DIRECTORY)
run(cc -std=c11 -Wall -Wextra -Werror ${HOSTS_DIR}/host.c ${flags} -Wl,-rpath,${libdir}
    -o ${WORK_DIR}/c_host_pc)
run(c++ -std=c++17 -Wall -Wextra -Werror ${HOSTS_DIR}/host.cpp ${flags} -Wl,-rpath,${libdir}
    -o ${WORK_DIR}/cpp_host_pc)
run(${WORK_DIR}/c_host_pc)
run(${WORK_DIR}/cpp_host_pc)

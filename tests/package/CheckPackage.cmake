# Makes the Debian package with CPack into OUT and checks it: every file the
# install puts under /usr is in it (stripped programs, the palette in
# /usr/share/quilmark, none beside the programs), its dependencies were
# computed by dpkg-shlibdeps (Qt's and the C library's packages with their
# versions), and lintian reports no error.
cmake_policy(VERSION 3.22)
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND cpack --config "${BUILD}/CPackConfig.cmake" -B "${OUT}" RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed (${rc}):\n${out}${err}")
endif()
file(GLOB debs "${OUT}/quilmark_*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} packages: ${debs}")
endif()
message(STATUS "package: ${debs}")

execute_process(COMMAND dpkg-deb --contents "${debs}" OUTPUT_VARIABLE contents RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg-deb cannot list ${debs}")
endif()
set(expected bin/quilmark bin/quilmark-cli share/quilmark/palette.dat share/applications/quilmark.desktop
    share/mime/packages/quilmark.xml share/metainfo/org.quilmark.quilmark.metainfo.xml
    share/thumbnailers/quilmark.thumbnailer share/icons/hicolor/scalable/apps/quilmark.svg
    share/man/man1/quilmark.1.gz share/man/man1/quilmark-cli.1.gz share/bash-completion/completions/quilmark-cli
    share/doc/quilmark/README.md share/doc/quilmark/copyright share/doc/quilmark/changelog.gz)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/quilmark.png)
endforeach()
foreach(f ${expected})
  string(FIND "${contents}" " ./usr/${f}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "the package lacks /usr/${f}:\n${contents}")
  endif()
endforeach()
if(contents MATCHES "usr/bin/palette\\.dat")
  message(FATAL_ERROR "the package puts palette.dat beside the programs")
endif()

execute_process(COMMAND dpkg-deb --field "${debs}" Depends OUTPUT_VARIABLE depends)
foreach(library libc6 libstdc\\+\\+6 libqt6widgets6 libqt6gui6 libqt6core6 libspng0 libgif7 zlib1g)
  if(NOT depends MATCHES "(^|, )${library} \\(>= [^)]+\\)")
    message(FATAL_ERROR "Depends lacks a versioned ${library}: ${depends}")
  endif()
endforeach()

# The programs in the package are stripped (they hold no .symtab section).
set(unpacked "${OUT}/unpacked")
execute_process(COMMAND dpkg-deb --extract "${debs}" "${unpacked}")
foreach(program quilmark quilmark-cli)
  execute_process(COMMAND readelf --section-headers "${unpacked}/usr/bin/${program}" OUTPUT_VARIABLE sections)
  if(sections MATCHES "\\.symtab")
    message(FATAL_ERROR "/usr/bin/${program} is not stripped")
  endif()
endforeach()

execute_process(COMMAND "${LINTIAN}" --tag-display-limit 0 --display-info "${debs}" OUTPUT_VARIABLE report
                ERROR_VARIABLE lintian_err RESULT_VARIABLE rc)
message("lintian:\n${report}")
string(REGEX MATCHALL "(^|\n)E: [^\n]*" errors "${report}")
list(LENGTH errors error_count)
if(error_count GREATER 0)
  message(FATAL_ERROR "lintian reports ${error_count} errors")
endif()
# Without an error a non-zero exit means lintian itself failed.
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian did not run (${rc}): ${lintian_err}")
endif()
message(STATUS "package sound: no lintian error")

# Both programs answer --version and --help as GNU programs do: on standard
# output, nothing on standard error, exit 0, also without any display (the
# editor must answer before it looks for one). A command's own --help too.
cmake_policy(VERSION 3.22)
function(run program)
  execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ${program} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

set(failures 0)
set(passes 0)
# expect(NAME ARGS... OUTPUT REGEX...): exit 0, stdout matching every REGEX, stderr empty.
function(expect name program)
  cmake_parse_arguments(PARSE_ARGV 2 check "" "" "ARGS;OUTPUT")
  run(${program} ${check_ARGS})
  set(problems "")
  if(NOT rc EQUAL 0)
    string(APPEND problems " exit ${rc};")
  endif()
  if(NOT err STREQUAL "")
    string(APPEND problems " stderr \"${err}\";")
  endif()
  foreach(regex ${check_OUTPUT})
    if(NOT out MATCHES "${regex}")
      string(APPEND problems " stdout lacks /${regex}/;")
    endif()
  endforeach()
  if(problems)
    message("FAIL ${name}:${problems}\n${out}")
    math(EXPR failures "${failures} + 1")
    set(failures ${failures} PARENT_SCOPE)
  else()
    math(EXPR passes "${passes} + 1")
    set(passes ${passes} PARENT_SCOPE)
  endif()
endfunction()

string(REPLACE "." "\\." version "${VERSION}")
expect("quilmark-cli --version" ${CLI} ARGS --version OUTPUT "^quilmark-cli \\(Quilmark\\) ${version}\n")
expect("quilmark-cli --help" ${CLI} ARGS --help OUTPUT "^usage: quilmark-cli " "--version" "--help"
       "\n  gif FILE.gaf NAME OUT.gif \\[--zoom N\\] \\[--delay CS\\]\n"
       "\n  thumbnail FILE.gaf OUT.png \\[--size N\\]\n")
expect("quilmark-cli -h" ${CLI} ARGS -h OUTPUT "^usage: quilmark-cli ")
expect("quilmark-cli thumbnail --help" ${CLI} ARGS thumbnail --help OUTPUT "^usage: quilmark-cli thumbnail " "--size N")
expect("quilmark --version" ${EDITOR} ARGS --version OUTPUT "^quilmark \\(Quilmark\\) ${version}\n")
expect("quilmark --help" ${EDITOR} ARGS --help OUTPUT "^usage: quilmark \\[--palette FILE\\] \\[FILE\\.gaf\\]\n"
       "\n  --palette FILE " "\n  --help " "\n  --version ")
expect("quilmark FILE --help" ${EDITOR} ARGS some.gaf --help OUTPUT "^usage: quilmark ")

# Without a command the usage goes to stderr with exit 2, as before.
run(${CLI})
if(NOT rc EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "^usage: quilmark-cli ")
  message("FAIL quilmark-cli without arguments: exit ${rc}, stdout \"${out}\", stderr \"${err}\"")
  math(EXPR failures "${failures} + 1")
else()
  math(EXPR passes "${passes} + 1")
endif()

message("${passes} passed, ${failures} failed")
if(failures GREATER 0)
  message(FATAL_ERROR "program information wrong")
endif()

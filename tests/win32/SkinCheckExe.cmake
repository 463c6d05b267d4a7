# The Windows skin checker under Wine: a bundled skin and button set check clean, and a
# broken button set made here gives its exact lines and exit status.
function(run folder expected_status expected_output)
  execute_process(COMMAND ${EMULATOR} ${CHECKER} ${folder} WORKING_DIRECTORY ${where}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  string(REPLACE "\r" "" output "${output}")
  if(NOT status STREQUAL expected_status OR NOT output STREQUAL expected_output)
    message(FATAL_ERROR "${folder}: exit ${status} (want ${expected_status})\n${output}\nwanted:\n${expected_output}\n${errors}")
  endif()
endfunction()

set(where ${DIST})
run(Skins/Default 0 "")
run(Buttons\\Slate 0 "")

file(REMOVE_RECURSE ${SCRATCH})
file(WRITE ${SCRATCH}/Broken/values.ini
  "[Main]\nNumOfButtons=1\nToolbarHeight=40\n[Button-0]\nX=4\nY=4\nWidht=32\n"
  "normalImage=a.png\nmouseoverImage=a.png\ninactiveImage=a.png\nselectedImage=a.png\n")
file(WRITE ${SCRATCH}/Broken/a.png "not a picture")
set(where ${SCRATCH})
run(Broken 2 "values.ini: [Button-0] Widht: did you mean Width?
a.png: [Button-0] normalImage: does not decode: the button is never drawn nor hit
1 error, 1 warning
")
file(REMOVE_RECURSE ${SCRATCH})

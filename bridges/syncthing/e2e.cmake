if(NOT TESSVIK_TESTS)
  return()
endif()
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_FOUND)
  return()
endif()
# The bridge between two real Syncthing instances on 127.0.0.1, with the
# simulated Finder reading what it writes: about 25 s, so `ctest -LE long`
# leaves it out. Skipped (77) where Syncthing is not installed.
if(TARGET tessvik-syncthing AND TARGET tessvik-finder)
  add_test(NAME tessvik_syncthing_e2e COMMAND Python3::Interpreter
    ${CMAKE_CURRENT_SOURCE_DIR}/syncthing_e2e_test.py
    $<TARGET_FILE:tessvik-syncthing> $<TARGET_FILE:tessvik-finder>)
  set_tests_properties(tessvik_syncthing_e2e PROPERTIES LABELS long TIMEOUT 180 SKIP_RETURN_CODE 77)
endif()
# The launchd agent is installed nowhere here; launchd must still read it.
add_test(NAME tessvik_syncthing_launchd_agent COMMAND Python3::Interpreter -c
  "import plistlib, sys\nassert plistlib.load(open(sys.argv[1], 'rb'))['Label'] == 'com.tessvik.tessvik.syncthing'"
  ${CMAKE_CURRENT_SOURCE_DIR}/com.tessvik.tessvik.syncthing.plist)
set_tests_properties(tessvik_syncthing_launchd_agent PROPERTIES LABELS unit TIMEOUT 60)

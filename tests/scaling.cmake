# The scaling test at the three screen scales the window is designed for: 100 % (the run that the
# foreach over tst_*.cpp already added, pinned to scale 1 here), 150 % and 200 %. Each run leaves
# its screenshot in screenshots/ beside the tests: scale-100.png, scale-150.png, scale-200.png.
if(TARGET tst_scaling)
  target_compile_definitions(tst_scaling PRIVATE VHF_SCREENSHOT_DIR="${CMAKE_CURRENT_BINARY_DIR}/screenshots")
  set_tests_properties(tst_scaling PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;QT_SCALE_FACTOR=1")
  foreach(scale 150 200)
    if(scale EQUAL 150)
      set(factor 1.5)
    else()
      set(factor 2)
    endif()
    add_test(NAME tst_scaling_${scale} COMMAND tst_scaling)
    set_tests_properties(tst_scaling_${scale} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;QT_SCALE_FACTOR=${factor}"
      TIMEOUT 900)
  endforeach()
endif()

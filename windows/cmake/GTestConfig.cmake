# GoogleTest of the Windows build: compiled from source in the build tree by
# windows/third_party.cmake, which defines GTest::gtest, GTest::gtest_main,
# GTest::gmock and GTest::gmock_main before anything looks for them.
if(TARGET GTest::gtest AND TARGET GTest::gtest_main AND TARGET GTest::gmock)
  set(GTest_FOUND TRUE)
else()
  set(GTest_FOUND FALSE)
  set(GTest_NOT_FOUND_MESSAGE "GoogleTest is built by windows/third_party.cmake only")
endif()

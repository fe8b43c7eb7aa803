# Display pictures: formatting and reading values by picture.
tko_add_gtest(picture_test ${CMAKE_CURRENT_LIST_DIR}/PictureTest.cpp)

suite_add_test(agent_core_web_tests
    ${CMAKE_CURRENT_LIST_DIR}/SqlLiteralsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebSessionTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebSchemaTest.cpp
)
target_link_libraries(agent_core_web_tests PRIVATE agent_web)

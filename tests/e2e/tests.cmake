# The tests run the real programs as child processes.
add_dependencies(test_e2e WUNT_Updater update-server)
target_compile_definitions(test_e2e PRIVATE
  WUNT_UPDATER_PATH="$<TARGET_FILE:WUNT_Updater>"
  WUNT_UPDATE_SERVER_PATH="$<TARGET_FILE:update-server>")

# The end-to-end tests run the built wunt-export.
add_dependencies(test_${name} wunt-export)

set(test_libs wizards)

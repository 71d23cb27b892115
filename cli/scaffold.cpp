// Scaffold: replaced by the folder's first source file.

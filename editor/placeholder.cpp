// editor

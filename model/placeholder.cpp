// model

-- Nothing but the answer: the start-up of the interpreter.
print(0)

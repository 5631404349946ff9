// Placeholders: a family's registrar or service that is not written yet stands in here, registering
// nothing, until its family file replaces it. Every family is written now, so none waits here.

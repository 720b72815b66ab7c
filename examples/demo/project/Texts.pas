unit Texts;

{ The program's messages: a unit without a form. }

interface

resourcestring
  SFileNotFound = 'File %s was not found.';
  SSaveChanges = 'Save changes to %s?';
  SReady = 'Ready';
  SItemsSelected = '%d items selected';
  SQuoted = 'The name "%s" is already in use.';
  STwoLines = 'The first line'#13#10'and the second line';

implementation

end.

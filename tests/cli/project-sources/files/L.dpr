program L;

uses
  Forms;

begin
end.
